#include "core/config/SetupFile.h"
#include "core/config/SetupText.h"

#include <gtest/gtest.h>
#include <limits>

using namespace kestrova;

TEST(SetupHelpers, DecimalValues) {
    const std::vector<std::pair<const char16_t*, std::optional<std::int64_t>>> cases = {
        {u"12", 12},
        {u" -5\t", -5},
        {u"+7", 7},
        {u"007", 7},
        {u"", std::nullopt},
        {u"-", std::nullopt},
        {u"1 2", std::nullopt},
        {u"0x10", std::nullopt},
        {u"1e3", std::nullopt},
        {u"\uff11", std::nullopt}, // a digit, but not an ASCII one
        {u"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {u"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {u"9223372036854775808", std::nullopt},
        {u"-9223372036854775809", std::nullopt},
        {u"99999999999999999999999", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Int64Value(text), expected) << QString::fromUtf16(text).toStdString();
    EXPECT_EQ(Int32Value(u"-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(Int32Value(u"2147483648"), std::nullopt);
}

TEST(SetupHelpers, ColourDepthMapping) {
    const std::vector<std::pair<QString, int>> cases = {
        {"", 24}, {"deep", 24}, {"0", 24}, {"-1", 24}, {"-300", 24}, {"1", 1},   {"3", 1},
        {"4", 4}, {"7", 4},     {"8", 8},  {"23", 8},  {"24", 24},   {"32", 24}, {"99999999999", 24},
    };
    for (const auto& [text, depth] : cases) EXPECT_EQ(ColourDepthOf(text), depth) << text.toStdString();
}

TEST(SetupHelpers, CompanionName) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"/srv/problems/20261208140501.tif", "/srv/problems/20261208140501.scn"},
        {"page.v2.png", "page.v2.scn"},
        {"/srv/dir.v2/page", "/srv/dir.v2/page.scn"},
        {"page", "page.scn"},
        {"page.", "page.scn"},
        {"", ".scn"},
    };
    for (const auto& [name, companion] : cases) EXPECT_EQ(CompanionName(name), companion) << name.toStdString();
}

TEST(SetupHelpers, NearestDocDefinition) {
    setupinformation s;
    EXPECT_EQ(NearestDocDefinition(s, 2500), 0) << "no definitions";
    for (int length : {2928, 2069, 2500, 2300, 2700}) s.DocDefs.append({"d", "~d", length, 0, {}});
    EXPECT_EQ(NearestDocDefinition(s, 2500), 2);
    EXPECT_EQ(NearestDocDefinition(s, 2400), 2) << "2300 and 2500 tie: the earlier definition wins";
    EXPECT_EQ(NearestDocDefinition(s, 2600), 2) << "2500 and 2700 tie";
    EXPECT_EQ(NearestDocDefinition(s, 9000), 0);
    EXPECT_EQ(NearestDocDefinition(s, 0), 1);
    s.DocDefs = {{"low", "~l", std::numeric_limits<std::int32_t>::min(), 0, {}},
                 {"high", "~h", std::numeric_limits<std::int32_t>::max(), 0, {}}};
    EXPECT_EQ(NearestDocDefinition(s, std::numeric_limits<qint64>::max()), 1);
    EXPECT_EQ(NearestDocDefinition(s, std::numeric_limits<qint64>::min()), 0);
}

TEST(SetupHelpers, LinesEndAtLfCrLfOrCr) {
    QStringList seen;
    ForEachSetupLine(u"a\r\nb\nc\rd\r\n\ne", [&](QStringView l) { seen << l.toString(); });
    EXPECT_EQ(seen, QStringList({"a", "b", "c", "d", "", "e"}));
    seen.clear();
    ForEachSetupLine(u"last\n", [&](QStringView l) { seen << l.toString(); });
    EXPECT_EQ(seen, QStringList({"last"}));
}

TEST(SetupHelpers, DecodesUtf8OrElseLatin1) {
    EXPECT_EQ(DecodeSetupText("caf\xc3\xa9"), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(DecodeSetupText("caf\xe9"), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(DecodeSetupText("\xef\xbb\xbf"
                              "1|x"),
              "1|x");
    EXPECT_EQ(DecodeSetupText(QByteArray("a\0b", 3)), QString::fromUtf16(u"a\0b", 3));
    // One bad byte makes its own line Latin-1, and only that line.
    EXPECT_EQ(DecodeSetupText("\xc3\xa9 and \xff"), QStringLiteral("\u00c3\u00a9 and \u00ff"));
    EXPECT_EQ(DecodeSetupText("\xef\xbb\xbf\xc3\xa9\r\n\xe9\r\xc3\xa9\n\xc3\n\xc3\xa9"),
              QStringLiteral("\u00e9\r\n\u00e9\r\u00e9\n\u00c3\n\u00e9"));
}
