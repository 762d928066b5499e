#include "TestPage.h"

#include <gtest/gtest.h>
#include <zint.h>

namespace kestrova::barcode::test {
namespace {

constexpr std::uint32_t CodabarAll =
    FlagCodabar | FlagCodabarStartA | FlagCodabarStartB | FlagCodabarStartC | FlagCodabarStartD;

std::string ReadCodabar(std::string_view data, std::uint32_t flags, bool upsideDown = false, int narrow = 3,
                        int wide = 7, QVCodabar* out = nullptr) {
    TestPage page(1700, 500);
    std::vector<int> bars = NarrowWide(ZintModules(BARCODE_CODABAR, data), narrow, wide);
    page.drawBars(upsideDown ? Reversed(bars) : bars, 300, 120, 30);
    page.addTextLines(200, 480, 7);
    QVCodabar reader = MakeReader(flags);
    const std::string summary = ReadBarcodes(reader, &page.bitmap(), 100);
    if (out) *out = std::move(reader);
    return summary;
}

TEST(Codabar, ReadsUprightAndUpsideDownAtSeveralRatios) {
    QVCodabar reader;
    EXPECT_EQ(ReadCodabar("A12345A", CodabarAll, false, 3, 7, &reader), "1 barcodes found : 12345:");
    EXPECT_EQ(reader.Results[SlotCodabar], "A12345A:");
    EXPECT_EQ(ReadCodabar("A12345A", CodabarAll, true, 3, 7, &reader), "1 barcodes found : 12345:");
    EXPECT_EQ(reader.Results[SlotCodabar], "^A12345A:");
    // Wide to narrow of 2:1, 2.5:1 and 3:1, every character of the table.
    for (auto [narrow, wide] : {std::pair{3, 6}, std::pair{2, 5}, std::pair{3, 8}}) {
        EXPECT_EQ(ReadCodabar("B0123456789-$:/.+B", CodabarAll, false, narrow, wide, &reader),
                  "1 barcodes found : 0123456789-$:/.+:")
            << narrow << ":" << wide;
    }
    EXPECT_EQ(ReadCodabar("C9D", CodabarAll, false, 3, 7, &reader), "No barcode found"); // C ... D
    EXPECT_EQ(ReadCodabar("D9D", CodabarAll, false, 3, 7, &reader), "1 barcodes found : 9:");
}

TEST(Codabar, StartCharactersMustBeEnabled) {
    QVCodabar reader;
    // A and B enabled: a symbol starting with B is found on a row without any A.
    EXPECT_EQ(ReadCodabar("B777B", FlagCodabar | FlagCodabarStartA | FlagCodabarStartB, false, 3, 7, &reader),
              "1 barcodes found : 777:");
    EXPECT_EQ(ReadCodabar("C777C", FlagCodabar | FlagCodabarStartA | FlagCodabarStartB), "No barcode found");
    EXPECT_EQ(ReadCodabar("C777C", FlagCodabar), "No barcode found");
}

TEST(Codabar, CheckDigitPunctuationCountAndExtraValidation) {
    const std::uint32_t check = CodabarAll | FlagCodabarCheckDigit;
    QVCodabar reader;
    // Positions 2..5 of "A1234?A": 1*2 + 2 + 3*2 + 4 = 14 -> check digit 6.
    EXPECT_EQ(ReadCodabar("A12346A", check, false, 3, 7, &reader), "1 barcodes found : 1234:");
    EXPECT_EQ(reader.Results[SlotCodabar], "A1234A:");
    EXPECT_EQ(ReadCodabar("A12345A", check), "No barcode found");
    // A weighted sum that is a multiple of 10 takes the check digit 0: 1*2 + 8 = 10.
    EXPECT_EQ(ReadCodabar("A180A", check, false, 3, 7, &reader), "1 barcodes found : 18:");
    EXPECT_EQ(reader.Results[SlotCodabar], "A18A:");

    EXPECT_EQ(ReadCodabar("A12-3A", CodabarAll | FlagPunctuationNotValid), "No barcode found");
    EXPECT_EQ(ReadCodabar("A12-3A", CodabarAll), "1 barcodes found : 12-3:");

    // Character count: data characters without start, stop and check digit.
    auto readWithCount = [](std::string_view data, std::uint32_t flags, int from, int to) {
        TestPage page(1200, 300);
        page.drawBars(NarrowWide(ZintModules(BARCODE_CODABAR, data), 3, 7), 100, 100, 20);
        QVCodabar reader = MakeReader(flags, static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to));
        return ReadBarcodes(reader, &page.bitmap(), 100);
    };
    EXPECT_EQ(readWithCount("A1234A", CodabarAll, 4, 4), "1 barcodes found : 1234:");
    EXPECT_EQ(readWithCount("A1234A", CodabarAll, 5, 8), "No barcode found");
    EXPECT_EQ(readWithCount("A1234A", CodabarAll, 1, 3), "No barcode found");
    // At the top of the range with a check digit as well.
    EXPECT_EQ(readWithCount("A12346A", check, 4, 4), "1 barcodes found : 1234:");

    TestPage page(1200, 300);
    page.drawBars(NarrowWide(ZintModules(BARCODE_CODABAR, "A5678A"), 3, 7), 100, 100, 20);
    reader = MakeReader(CodabarAll);
    reader.Extra->SetPatterns("B*;A5?7");
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100), "1 barcodes found : 5678:");
    reader.Extra->SetPatterns("B*;A6");
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100), "No barcode found");
}

TEST(Codabar, PrintToTheRightOnTheSameRowsDiscardsTheSymbol) {
    // The symbol text runs two letters past the stop character's gap, so print further along
    // the same pixel rows puts a blank inside it.
    TestPage page(1700, 300);
    page.drawBars(NarrowWide(ZintModules(BARCODE_CODABAR, "A4711A"), 3, 7), 100, 100, 30);
    QVCodabar reader = MakeReader(CodabarAll);
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100), "1 barcodes found : 4711:");
    page.fillRect(900, 90, 3, 50);
    page.fillRect(910, 90, 3, 50);
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100), "No barcode found");
}

} // namespace
} // namespace kestrova::barcode::test
