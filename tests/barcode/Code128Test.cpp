#include "TestPage.h"

#include "barcode/Code128.h"

#include <gtest/gtest.h>
#include <zint.h>

namespace kestrova::barcode::test {
namespace {

constexpr int Module = 3; // pixels: b/s 3, B/S 6, c/t 9, C/T 12

// Run letters of a symbol: START, the values, the check symbol (unless given), STOP.
std::string Letters(int start, const std::vector<int>& values, int check = -1) {
    int sum = start;
    for (std::size_t i = 0; i < values.size(); ++i) sum += static_cast<int>(i + 1) * values[i];
    std::string letters(Code128Pattern(start));
    for (int v : values) letters += Code128Pattern(v);
    letters += Code128Pattern(check >= 0 ? check : sum % 103);
    letters += Code128Pattern(106);
    return letters + "B"; // the stop's final bar
}

QVCodabar ReadBars(const std::vector<int>& bars, bool upsideDown = false, int digitsTo = 30) {
    TestPage page(2000, 300);
    page.drawBars(upsideDown ? Reversed(bars) : bars, 150, 60, 20);
    page.addTextLines(120, 290, 3);
    QVCodabar reader = MakeReader(FlagCode128, 1, static_cast<std::uint8_t>(digitsTo));
    ReadBarcodes(reader, &page.bitmap(), 100);
    return reader;
}

std::string ReadLetters(const std::string& letters) {
    return ReadBars(FromLetters(letters, Module, 2 * Module, 3 * Module, 4 * Module)).Results[SlotCode128];
}

std::string ReadZint(std::string_view data, bool upsideDown = false) {
    const std::vector<int> modules = ZintModules(BARCODE_CODE128, data);
    EXPECT_FALSE(modules.empty()) << data;
    return ReadBars(Scaled(modules, Module), upsideDown).Results[SlotCode128];
}

TEST(Code128, ReadsZintSymbolsInEverySet) {
    EXPECT_EQ(ReadZint("Req-2024/ab"), "Req-2024/ab:");
    EXPECT_EQ(ReadZint("12345678"), "12345678:");
    EXPECT_EQ(ReadZint("AB12345678cd"), "AB12345678cd:");
    EXPECT_EQ(ReadZint("98990354"), "98990354:");
    EXPECT_EQ(ReadZint("0354"), "0354:"); // the stop's letters span the border of 03 and 54
    EXPECT_EQ(ReadZint("X7Y", true), "^X7Y:");
    const QVCodabar reader = ReadBars(Scaled(ZintModules(BARCODE_CODE128, "42"), Module));
    EXPECT_EQ(BarcodeResultField(reader, 1, SlotCode128, 1), "");
    EXPECT_EQ(BarcodeResultField(reader, 1, SlotCode128, 6), "");
}

TEST(Code128, CodeSetsShiftAndFunctionWords) {
    struct Case {
        int start;
        std::vector<int> values;
        std::string text;
    };
    const Case cases[] = {
        {105, {98, 99, 12}, "989912"},                 // set C: 98 and 99 are digit pairs
        {103, {33, 99, 12, 100, 65, 101, 1}, "A12a!"}, // A -> C -> B -> A
        {103, {33, 98, 65, 66}, "Aa\x02"},             // SHIFT reads one symbol in set B
        {104,
         {65, 98, 65, 66},
         "a\x01"
         "b"},                                                    // SHIFT reads one symbol in set A
        {104, {95, 96, 97, 102, 100, 33}, "DELFNC 3FNC 2FNC 1A"}, // FNC 4 in set B adds nothing
        {103, {95, 101, 64}, std::string("\x1f\0", 2)},           // set A control characters; FNC 4 ignored
        {105, {102, 100, 33}, "FNC 1A"},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadLetters(Letters(c.start, c.values)), c.text + ":") << c.text;
}

TEST(Code128, CheckSymbolAndStartInsideASymbol) {
    // 104 + 33 + 2 * 34 = 205 = 102 (mod 103): the check symbol 102 adds nothing to "AB".
    EXPECT_EQ(ReadLetters(Letters(104, {33, 34})), "AB:");
    EXPECT_EQ(ReadLetters(Letters(104, {33, 34}, 101)), "");
    // A START symbol inside a symbol fails the whole symbol.
    EXPECT_EQ(ReadLetters(Letters(104, {33, 104, 34})), "");
    // Only the check symbol before the stop: an empty text, outside the count range.
    EXPECT_EQ(ReadLetters(Letters(104, {})), "");
}

} // namespace
} // namespace kestrova::barcode::test
