#include "core/util/StringUtil.h"

#include "QtPrint.h"

#include <gtest/gtest.h>

using namespace kestrova;

namespace {

struct SplitCase {
    const char* text;
    const char* delimiter;
    const char* before;
    const char* after;
};

const SplitCase SPLIT_CASES[] = {
    {"12345678~REQ", "~", "12345678", "REQ"},
    {"12345678REQ", "~", "12345678REQ", ""},
    {"a~b~c", "~", "a", "b~c"},
    {"~lead", "~", "", "lead"},
    {"key=>value", "=>", "key", "value"},
    {"", "~", "", ""},
    {"text", "", "text", ""},
    {"abc", "B", "abc", ""}, // case-sensitive
};

} // namespace

TEST(StringUtil, TextBeforeAndAfterSplitAtTheFirstDelimiter) {
    for (const SplitCase& c : SPLIT_CASES) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextBefore(c.text, c.delimiter), QString(c.before));
        EXPECT_EQ(TextAfter(c.text, c.delimiter), QString(c.after));
    }
}

TEST(StringUtil, TextBetweenTakesTheTextAfterTheFirstUpToTheSecond) {
    EXPECT_EQ(TextBetween("12345678~REQA1.tif", "~", "."), "REQA1");
    EXPECT_EQ(TextBetween("12345678~REQA1", "~", "."), "REQA1");
    EXPECT_EQ(TextBetween("12345678.tif", "~", "."), "");
    EXPECT_EQ(TextBetween("<a><b>", "<", ">"), "a");
}

TEST(StringUtil, RemoveCharAndRemoveChars) {
    EXPECT_EQ(RemoveChar(" 12 34 ", ' '), "1234");
    EXPECT_EQ(RemoveChar("aAa", 'a'), "A");
    EXPECT_EQ(RemoveChar("", 'a'), "");
    EXPECT_EQ(RemoveChars("A1-B2 C3", "- "), "A1B2C3");
    EXPECT_EQ(RemoveChars("abc", ""), "abc");
    EXPECT_EQ(RemoveChars("abcabc", "cba"), "");
}

TEST(StringUtil, CountOccurrencesCountsNonOverlappingFromTheLeft) {
    const struct {
        const char* text;
        const char* sub;
        int count;
    } cases[] = {{"aaaa", "aa", 2}, {"aaa", "aa", 1}, {"a~b~c", "~", 2},
                 {"abc", "", 0},    {"", "a", 0},     {"ABab", "ab", 1}};
    for (const auto& c : cases) EXPECT_EQ(CountOccurrences(c.text, c.sub), c.count) << c.text << " / " << c.sub;
}

TEST(StringUtil, ReplaceTextDoesNotRescanInsertedText) {
    const struct {
        const char* text;
        const char* oldText;
        const char* newText;
        const char* result;
    } cases[] = {
        {"a.b.c", ".", "/", "a/b/c"},   {"aaa", "a", "aa", "aaaaaa"},
        {"  x  ", "  ", " ", " x "},    {"", "a", "b", ""},
        {"abc", "", "x", "abc"},        {"ABC abc", "abc", "", "ABC "},
        {"1ST AUG", "ST", "", "1 AUG"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReplaceText(c.text, c.oldText, c.newText), QString(c.result)) << c.text;
}

TEST(StringUtil, DelimitedFieldCountsFromOne) {
    const struct {
        const char* text;
        QChar delimiter;
        int n;
        const char* field;
    } cases[] = {
        {"a|b|c", '|', 1, "a"}, {"a|b|c", '|', 2, "b"}, {"a|b|c", '|', 3, "c"}, {"a|b|c", '|', 4, ""},
        {"a|b|c", '|', 0, ""},  {"a|b|c", '|', -1, ""}, {"abc", '|', 1, "abc"}, {"abc", '|', 2, ""},
        {"a||c", '|', 2, ""},   {"a||c", '|', 3, "c"},  {"", '|', 1, ""},       {"a|b", QChar(), 1, ""},
        {"a|b|", '|', 3, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DelimitedField(c.text, c.delimiter, c.n), QString(c.field)) << c.text << " #" << c.n;
    }
}
