#include "LeptonicaTestImages.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace kestrova::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes StorageRow(const barcode::PageBitmap& bitmap, int r) {
    return Bytes(bitmap.row(r), bitmap.row(r) + bitmap.bytesPerRow);
}

bool WhiteIn(const barcode::PageBitmap& bitmap, int x, int pageRow) {
    const std::uint8_t* row = bitmap.row(bitmap.height - 1 - pageRow);
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

// 37 pixels wide: the second 32-bit word holds 5 pixels and 27 padding bits.
TEST(PageBitmapView, BottomRowFirstSetBitWhiteMsbLeftPaddingClear) {
    auto image = Image(BlackPixels(37, 3, {{0, 0}, {36, 0}, {1, 1}, {8, 2}, {32, 2}}));
    barcode::PageBitmap bitmap;
    ASSERT_TRUE(image->toPageBitmap(bitmap));

    EXPECT_EQ(bitmap.width, 37);
    EXPECT_EQ(bitmap.height, 3);
    EXPECT_EQ(bitmap.bytesPerRow, 8);
    ASSERT_EQ(bitmap.bits.size(), 24u);
    EXPECT_EQ(StorageRow(bitmap, 0), (Bytes{0xFF, 0x7F, 0xFF, 0xFF, 0x78, 0x00, 0x00, 0x00})); // page bottom row
    EXPECT_EQ(StorageRow(bitmap, 1), (Bytes{0xBF, 0xFF, 0xFF, 0xFF, 0xF8, 0x00, 0x00, 0x00}));
    EXPECT_EQ(StorageRow(bitmap, 2), (Bytes{0x7F, 0xFF, 0xFF, 0xFF, 0xF0, 0x00, 0x00, 0x00})); // page top row
}

TEST(PageBitmapView, PaddingStaysClearWhateverThePixHolds) {
    auto image = Image(BlackPixels(40, 2, {{39, 1}}));
    // Inverting flips the padding bits of Leptonica's rows too; the view must not show them.
    ASSERT_TRUE(image->invert());
    pixGetData(PixOf(*image))[1] |= 0x00ffffffu;
    barcode::PageBitmap bitmap;
    ASSERT_TRUE(image->toPageBitmap(bitmap));
    EXPECT_EQ(StorageRow(bitmap, 0), (Bytes{0, 0, 0, 0, 0x01, 0, 0, 0}));
    EXPECT_EQ(StorageRow(bitmap, 1), (Bytes{0, 0, 0, 0, 0x00, 0, 0, 0}));
}

TEST(PageBitmapView, RandomPageMatchesPixelByPixelAndRoundTrips) {
    std::mt19937 random(7);
    PixPtr pix(pixCreate(203, 61, 1));
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 203; ++x) pixSetPixel(pix.get(), x, y, random() % 3 == 0);
    pixSetResolution(pix.get(), 300, 200);
    auto image = Image(std::move(pix));

    barcode::PageBitmap bitmap;
    bitmap.bits.assign(5, 0xAA); // reused storage must be resized and overwritten
    ASSERT_TRUE(image->toPageBitmap(bitmap));
    int mismatches = 0;
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 203; ++x) mismatches += WhiteIn(bitmap, x, y) != (PixelAt(*image, x, y) == 0);
    EXPECT_EQ(mismatches, 0);

    LeptonicaImageCodec codec;
    auto back = codec.fromPageBitmap(bitmap, 300, 200);
    ASSERT_TRUE(back) << back.error().toStdString();
    EXPECT_EQ(DifferentPixels(PixOf(*back.value()), PixOf(*image)), 0);
    EXPECT_EQ(back.value()->xResolution(), 300);
    EXPECT_EQ(back.value()->yResolution(), 200);
}

TEST(PageBitmapView, RefusesDeepImagesAndMalformedBitmaps) {
    barcode::PageBitmap bitmap;
    auto grey = Image(GreyRamp(10, 10));
    const Status status = grey->toPageBitmap(bitmap);
    EXPECT_FALSE(status);
    EXPECT_TRUE(status.error().contains(QLatin1String("1-bit"))) << status.error().toStdString();

    LeptonicaImageCodec codec;
    barcode::PageBitmap bad;
    bad.width = 40;
    bad.height = 4;
    bad.bytesPerRow = 8;
    bad.bits.resize(16); // half the rows missing
    EXPECT_FALSE(codec.fromPageBitmap(bad));
    EXPECT_FALSE(codec.fromPageBitmap(barcode::PageBitmap{}));
}

} // namespace
} // namespace kestrova::test
