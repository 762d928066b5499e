#include "TestPage.h"

#include <gtest/gtest.h>
#include <zint.h>

namespace kestrova::barcode::test {
namespace {

QVCodabar ReadBars(const std::vector<int>& bars, std::uint32_t flags, bool upsideDown = false, int digitsFrom = 1,
                   int digitsTo = 20) {
    TestPage page(1700, 400);
    page.drawBars(upsideDown ? Reversed(bars) : bars, 200, 80, 24);
    page.addTextLines(150, 390, 5);
    QVCodabar reader = MakeReader(flags, static_cast<std::uint8_t>(digitsFrom), static_cast<std::uint8_t>(digitsTo));
    ReadBarcodes(reader, &page.bitmap(), 100);
    return reader;
}

QVCodabar ReadCode25(std::string_view digits, std::uint32_t flags, bool upsideDown = false, int narrow = 2,
                     int wide = 6, int digitsFrom = 1, int digitsTo = 20) {
    const std::vector<int> modules = ZintModules(BARCODE_C25INTER, digits);
    EXPECT_FALSE(modules.empty()) << digits;
    return ReadBars(NarrowWide(modules, narrow, wide), flags, upsideDown, digitsFrom, digitsTo);
}

TEST(Code25, ReadsUprightAndUpsideDownAtSeveralRatios) {
    for (auto [narrow, wide] : {std::pair{2, 6}, std::pair{2, 5}, std::pair{3, 6}, std::pair{3, 8}}) {
        EXPECT_EQ(ReadCode25("12345678", FlagCode25, false, narrow, wide).Results[SlotCode25], "12345678:")
            << narrow << ":" << wide;
        EXPECT_EQ(ReadCode25("90817263", FlagCode25, true, narrow, wide).Results[SlotCode25], "^90817263:")
            << narrow << ":" << wide;
    }
    const QVCodabar reader = ReadCode25("5566", FlagCode25, true);
    EXPECT_EQ(BarcodeResultField(reader, 1, SlotCode25, 1), "6");
    EXPECT_EQ(BarcodeResultField(reader, 1, SlotCode25, 5), "^5566");
    EXPECT_EQ(BarcodeResultField(reader, 1, SlotCode25, 6), "Y");
}

TEST(Code25, UpsideDownSymbolIsNotReadAgainFromAStartInsideItsData) {
    // "362023" holds the start pattern inside its data; its tail would decode as 2023.
    EXPECT_EQ(ReadCode25("362023", FlagCode25).Results[SlotCode25], "362023:");
    const QVCodabar reader = ReadCode25("362023", FlagCode25, true);
    EXPECT_EQ(reader.Results[SlotCode25], "^362023:");
    EXPECT_EQ(BarcodeCount(reader), 1);
}

TEST(Code25, DropLeading0CheckDigitAndCount) {
    // The count is the digits less one, with or without dropping the leading 0.
    EXPECT_EQ(ReadCode25("0123456789", FlagCode25 | FlagCode25DropLeading0, false, 2, 6, 9, 9).Results[SlotCode25],
              "123456789:");
    EXPECT_EQ(ReadCode25("0123456789", FlagCode25, false, 2, 6, 9, 9).Results[SlotCode25], "0123456789:");
    EXPECT_EQ(ReadCode25("0123456789", FlagCode25, false, 2, 6, 10, 12).Results[SlotCode25], "");
    EXPECT_EQ(ReadCode25("0123456789", FlagCode25, false, 2, 6, 1, 8).Results[SlotCode25], "");

    // 1234567: 1*3 + 2 + 3*3 + 4 + 5*3 + 6 + 7*3 = 60 -> check digit 0.
    const std::uint32_t check = FlagCode25 | FlagCode25CheckDigit;
    EXPECT_EQ(ReadCode25("12345670", check).Results[SlotCode25], "1234567:");
    EXPECT_EQ(ReadCode25("12345671", check).Results[SlotCode25], "");
    EXPECT_EQ(ReadCode25("01234565", check | FlagCode25DropLeading0).Results[SlotCode25], "123456:");
}

TEST(Code25, GroupsMatchingNoDigitLeaveAnOddLengthThatIsRefused) {
    // Start, the pair 1-2, a pair whose bars match no digit (spaces: 3), stop.
    const std::string start = "bsbs";
    const std::string pair12 = "BsbSbsbsBS";
    const std::string bad3 = "BSBSBsbsbs";
    const std::string pair33 = "BSBSbsbsbs";
    EXPECT_EQ(ReadBars(FromLetters(start + pair12 + pair33 + "Bsb", 2, 6), FlagCode25).Results[SlotCode25], "1233:");
    EXPECT_EQ(ReadBars(FromLetters(start + pair12 + bad3 + "Bsb", 2, 6), FlagCode25).Results[SlotCode25], "");
}

} // namespace
} // namespace kestrova::barcode::test
