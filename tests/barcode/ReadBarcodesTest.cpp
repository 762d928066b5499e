#include "TestPage.h"

#include <gtest/gtest.h>
#include <zint.h>

#include <random>

namespace kestrova::barcode::test {
namespace {

std::vector<int> Code39Bars(std::string_view data) {
    return NarrowWide(ZintModules(BARCODE_CODE39, data), 3, 7);
}

// Strokes of 3 black and 6 white pixels from column x: enough ink per row.
void Strokes(TestPage& page, int x, int top, int rows) {
    for (int i = 0; i < 25; ++i) page.fillRect(x + 9 * i, top, 3, rows);
}

TEST(ReadBarcodes, RefusalsAndMissingPages) {
    TestPage page(800, 200);
    page.drawBars(Code39Bars("42"), 100, 50, 10);
    QVCodabar reader;
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100), "0:Init not called");

    reader = MakeReader(FlagCode39);
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100), "1 barcodes found : 42:");
    // No bitmap at all: nothing changes.
    EXPECT_EQ(ReadBarcodes(reader, nullptr, 100), "");
    EXPECT_EQ(reader.Results[SlotCode39], "42:");

    PageBitmap empty;
    EXPECT_EQ(ReadBarcodes(reader, &empty, 100), "0:No Image defined");
    EXPECT_EQ(reader.Results[SlotCode39], "");
    EXPECT_EQ(reader.FirstInkedRow, -1);
    PageBitmap truncated = page.bitmap();
    truncated.bits.resize(truncated.bits.size() / 2);
    EXPECT_EQ(ReadBarcodes(reader, &truncated, 100), "0:No Image defined");
    PageBitmap narrowRows = page.bitmap();
    narrowRows.bytesPerRow = 4;
    EXPECT_EQ(ReadBarcodes(reader, &narrowRows, 100), "0:No Image defined");

    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100, 8), "0:Not a monochrome Image");
    EXPECT_EQ(ReadBarcodes(reader, &empty, 100, 24), "0:Not a monochrome Image");
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100, 0), "0:No Image defined");
}

TEST(ReadBarcodes, PageMeasurements) {
    struct Case {
        int width;
        std::vector<std::pair<int, int>> blocks; // top row, rows
        int firstInked, contentStart, left, right;
    };
    const Case cases[] = {
        {1000, {}, -1, 0, 1000, 1024},                    // blank page
        {1000, {{300, 10}}, 91, 93, 100, 681},            // seven rows or more: first inked row + 2
        {1100, {{300, 10}}, 91, 93, 100, 3},              // rows not a multiple of 8 bytes: the run before
        {1000, {{300, 3}, {250, 11}}, 98, 140, 100, 681}, // a short first block: the next block's row
        {1000, {{0, 3}}, 398, -398, 100, 681},            // a short block that ends the page
    };
    for (const Case& c : cases) {
        TestPage page(c.width, 400);
        for (auto [top, rows] : c.blocks) Strokes(page, 100, top, rows);
        QVCodabar reader = MakeReader(FlagCode39);
        EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100), "No barcode found");
        EXPECT_EQ(reader.FirstInkedRow, c.firstInked) << c.width << " " << c.blocks.size();
        EXPECT_EQ(reader.ContentStartRow, c.contentStart) << c.width << " " << c.blocks.size();
        EXPECT_EQ(reader.LeftMargin, c.left) << c.width << " " << c.blocks.size();
        EXPECT_EQ(reader.RightMargin, c.right) << c.width << " " << c.blocks.size();
    }
}

TEST(ReadBarcodes, SearchDepthReadsTheTopOfThePage) {
    TestPage page(1000, 400);
    page.drawBars(Code39Bars("TOP"), 100, 50, 20);
    page.drawBars(Code39Bars("LOW"), 100, 350, 20);
    QVCodabar reader = MakeReader(FlagCode39);
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 30), "1 barcodes found : TOP:");
    EXPECT_EQ(reader.FirstInkedRow, 331); // the lowest row of TOP
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100), "2 barcodes found : LOW:TOP:");
    // Beyond 100 the whole page, and no row outside the bitmap.
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 255), "2 barcodes found : LOW:TOP:");
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 101), "2 barcodes found : LOW:TOP:");
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 0), "No barcode found");
    EXPECT_EQ(reader.FirstInkedRow, -1);
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), -5), "No barcode found");
}

TEST(ReadBarcodes, TextsAreRecordedWhenReadOnTwoRows) {
    auto read = [](int rows, bool twice) {
        TestPage page(1600, 200);
        page.drawBars(Code39Bars("12"), 100, 80, rows);
        if (twice) page.drawBars(Code39Bars("12"), 700, 80, rows);
        QVCodabar reader = MakeReader(FlagCode39);
        return ReadBarcodes(reader, &page.bitmap(), 100);
    };
    EXPECT_EQ(read(1, false), "No barcode found");
    EXPECT_EQ(read(2, false), "1 barcodes found : 12:");
    // Printed twice on one pixel row it is still one row.
    EXPECT_EQ(read(1, true), "No barcode found");
    EXPECT_EQ(read(2, true), "1 barcodes found : 12:");
}

TEST(ReadBarcodes, ReadingsOfSeveralSymbols) {
    TestPage page(1600, 600);
    // Read from the bottom up: the upside-down 123 is recorded first and takes the upright one.
    page.drawBars(Reversed(Code39Bars("123")), 100, 400, 20);
    page.drawBars(Code39Bars("123"), 100, 300, 20);
    page.drawBars(NarrowWide(ZintModules(BARCODE_CODABAR, "A77A"), 3, 7), 100, 200, 20);
    page.drawBars(Code39Bars("XY"), 100, 100, 20);
    QVCodabar reader = MakeReader(FlagCode39 | FlagCodabar | FlagCodabarStartA);
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100), "3 barcodes found : 123:XY:77:");
    EXPECT_EQ(reader.Results[SlotCode39], "^123:XY:");
    EXPECT_EQ(BarcodeCount(reader), 3);

    reader = MakeReader(FlagCode39 | FlagCodabar | FlagCodabarStartA | FlagStopAfterFirst);
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100), "1 barcodes found : 123:");
    EXPECT_EQ(reader.Results[SlotCodabar], "");
}

TEST(ReadBarcodes, SidewaysSymbolsAreNotFoundAndNoiseIsTolerated) {
    TestPage page(1700, 1200);
    page.drawSideways(Code39Bars("SIDE"), 200, 100, 60);
    page.addTextLines(700, 1150, 9);
    page.addSpeckle(3000, 4);
    QVCodabar reader = MakeReader(FlagCode39 | FlagCode128 | FlagCode25);
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100), "No barcode found");
    page.drawBars(Code39Bars("UP"), 600, 300, 60);
    EXPECT_EQ(ReadBarcodes(reader, &page.bitmap(), 100), "1 barcodes found : UP:");
}

TEST(ReadBarcodes, ArbitraryBitmapsAndSettingsAreReadSafely) {
    std::mt19937 random(12345);
    for (int i = 0; i < 300; ++i) {
        TestPage page(1 + static_cast<int>(random() % 700), 1 + static_cast<int>(random() % 60));
        PageBitmap bitmap = page.bitmap();
        const int density = static_cast<int>(random() % 4);
        for (auto& byte : bitmap.bits) {
            if (density == 0)
                byte = static_cast<std::uint8_t>(random());
            else if (random() % (density * 8) == 0)
                byte = static_cast<std::uint8_t>(random());
        }
        QVCodabar reader;
        auto r = [&] { return static_cast<std::uint8_t>(random() % 12); };
        InitBarcodeReader(reader, r(), r(), r(), r(), r(), r(), r(), r(), r(), static_cast<std::uint8_t>(random()), 250,
                          static_cast<std::uint32_t>(random()) | FlagCode39 | FlagCodabar);
        reader.Extra->SetPatterns(i % 5 == 0 ? "1*" : "");
        const std::string summary = ReadBarcodes(reader, &bitmap, static_cast<int>(random() % 300) - 20);
        EXPECT_FALSE(summary.empty());
        EXPECT_GE(reader.LeftMargin, 0);
    }
}

} // namespace
} // namespace kestrova::barcode::test
