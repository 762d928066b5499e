#include "TestPage.h"

#include <gtest/gtest.h>
#include <zint.h>

namespace kestrova::barcode::test {
namespace {

struct Print {
    bool upsideDown = false;
    int narrow = 3;
    int wide = 7;
    bool check = false; // zint adds the modulo 43 check character
};

QVCodabar ReadCode39(std::string_view data, std::uint32_t flags, Print print = {}, int digitsFrom = 1,
                     int digitsTo = 50) {
    TestPage page(2400, 400);
    std::vector<int> bars =
        NarrowWide(ZintModules(BARCODE_CODE39, data, print.check ? 1 : 0), print.narrow, print.wide);
    EXPECT_FALSE(bars.empty()) << data;
    page.drawBars(print.upsideDown ? Reversed(bars) : bars, 120, 100, 24);
    page.addTextLines(160, 390, 11);
    QVCodabar reader = MakeReader(flags, static_cast<std::uint8_t>(digitsFrom), static_cast<std::uint8_t>(digitsTo));
    ReadBarcodes(reader, &page.bitmap(), 100);
    return reader;
}

TEST(Code39, ReadsEveryCharacterUprightAndUpsideDownAtSeveralRatios) {
    const std::string all = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
    for (auto [narrow, wide] : {std::pair{3, 6}, std::pair{2, 5}, std::pair{2, 6}, std::pair{3, 8}}) {
        QVCodabar reader = ReadCode39(all, FlagCode39, {false, narrow, wide});
        EXPECT_EQ(reader.Results[SlotCode39], all + ":") << narrow << ":" << wide;
    }
    QVCodabar reader = ReadCode39("REQ 2024/17", FlagCode39, {true});
    EXPECT_EQ(reader.Results[SlotCode39], "^REQ 2024/17:");
    EXPECT_EQ(BarcodeResultsText(reader), "\r\n\r\n\r\n\r\nREQ 2024/17:\r\n\r\n");
    EXPECT_EQ(BarcodeResultField(reader, 1, SlotCode39, 1), "REQ 2024/17");
    EXPECT_EQ(BarcodeResultField(reader, 1, SlotCode39, 4), "*REQ 2024/17*");
    EXPECT_EQ(BarcodeResultField(reader, 1, SlotCode39, 6), "Y");
    EXPECT_EQ(BarcodeResultField(reader, 2, SlotCode39, 6), "");
}

TEST(Code39, StopIsFoundWhereACharacterStarts) {
    // The stop character's letters also occur across the gap of these pairs; the symbols are
    // read all the same.
    for (std::string_view data : {"B8", "74", "A1", "12B874A1", "7070707070"}) {
        QVCodabar reader = ReadCode39(data, FlagCode39);
        EXPECT_EQ(reader.Results[SlotCode39], std::string(data) + ":") << data;
    }
}

TEST(Code39, PunctuationCheckCharacterAndCount) {
    EXPECT_EQ(ReadCode39("AZ-1", FlagCode39).Results[SlotCode39], "AZ-1:");
    EXPECT_EQ(ReadCode39("AZ-1", FlagCode39 | FlagPunctuationNotValid).Results[SlotCode39], "");
    for (std::string_view accepted : {"AZ%1", "AZ 1", "AZ1"})
        EXPECT_EQ(ReadCode39(accepted, FlagCode39 | FlagPunctuationNotValid).Results[SlotCode39],
                  std::string(accepted) + ":");
    for (std::string_view refused : {"A$1", "A+1", "A.1", "A/1"})
        EXPECT_EQ(ReadCode39(refused, FlagCode39 | FlagPunctuationNotValid).Results[SlotCode39], "") << refused;

    const std::uint32_t check = FlagCode39 | FlagCode39CheckDigit;
    // With the option the check character is verified and dropped; without, it is data.
    EXPECT_EQ(ReadCode39("ABC123", check, {.check = true}).Results[SlotCode39], "ABC123:");
    EXPECT_EQ(ReadCode39("ABC123", FlagCode39, {.check = true}).Results[SlotCode39], "ABC123$:");
    // A-B-C-1-2-3 = 10+11+12+1+2+3 = 39 -> "$"; any other last character is refused.
    EXPECT_EQ(ReadCode39("ABC123$", check).Results[SlotCode39], "ABC123:");
    EXPECT_EQ(ReadCode39("ABC1234", check).Results[SlotCode39], "");
    EXPECT_EQ(ReadCode39("A", check).Results[SlotCode39], "");

    // Count range: data characters, the check character not counted; the top of the range is
    // read with a check character too.
    EXPECT_EQ(ReadCode39("ABCDEF", FlagCode39, {}, 6, 6).Results[SlotCode39], "ABCDEF:");
    EXPECT_EQ(ReadCode39("ABCDEF", FlagCode39, {}, 7, 9).Results[SlotCode39], "");
    EXPECT_EQ(ReadCode39("ABCDEF", FlagCode39, {}, 1, 5).Results[SlotCode39], "");
    EXPECT_EQ(ReadCode39("ABCDEF", check, {.check = true}, 6, 6).Results[SlotCode39], "ABCDEF:");
}

} // namespace
} // namespace kestrova::barcode::test
