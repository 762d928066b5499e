// Cropping, turning and scaling a page into a single-page LZW TIFF, with the real codec.
#include "core/scan/SaveRegion.h"
#include "barcode/QVCodabar.h"
#include "platform/leptonica/LeptonicaImageCodec.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kestrova {
namespace {

// A white 1-bit page of 600 x 900 pixels at 300 dpi with a black 40 x 20 block whose top left
// corner is at (100, 50) (top row = top of the page).
std::unique_ptr<PageImage> PageWithBlock(const LeptonicaImageCodec& codec) {
    barcode::PageBitmap bitmap;
    bitmap.width = 600;
    bitmap.height = 900;
    bitmap.bytesPerRow = barcode::PageBitmap::strideFor(bitmap.width);
    bitmap.bits.assign(std::size_t(bitmap.bytesPerRow) * bitmap.height, 0xFF);
    for (int y = 50; y < 70; ++y)
        for (int x = 100; x < 140; ++x) bitmap.row(bitmap.height - 1 - y)[x / 8] &= ~(0x80 >> (x % 8));
    auto page = codec.fromPageBitmap(bitmap, 300, 300);
    EXPECT_TRUE(page) << page.error().toStdString();
    return std::move(page.value());
}

// The bounding box of the black pixels of a saved page (top row = top of the page).
QRect InkBox(const LeptonicaImageCodec& codec, const QString& path) {
    auto loaded = codec.loadPage(path, 0, 1);
    EXPECT_TRUE(loaded) << loaded.error().toStdString();
    if (!loaded) return {};
    barcode::PageBitmap bitmap;
    EXPECT_TRUE(loaded.value().image->toPageBitmap(bitmap));
    QRect box;
    for (int y = 0; y < bitmap.height; ++y) {
        const std::uint8_t* row = bitmap.row(bitmap.height - 1 - y);
        for (int x = 0; x < bitmap.width; ++x)
            if ((row[x / 8] & (0x80 >> (x % 8))) == 0) box |= QRect(x, y, 1, 1);
    }
    return box;
}

TEST(SaveRegionAsTiff, CropsByTheMarginsTurnsAndWritesLzwWithoutChangingThePage) {
    const LeptonicaImageCodec codec;
    QTemporaryDir dir;
    auto page = PageWithBlock(codec);
    const QString plain = dir.filePath("plain.tif");
    ASSERT_EQ(SaveRegionAsTiff(page.get(), plain, 0, 600, 900, 30, 100, 20, 60), RegionSaved);
    const auto info = codec.fileInfo(plain);
    ASSERT_TRUE(info);
    EXPECT_EQ(info.value().compressionName, "LZW");
    EXPECT_EQ(info.value().pageCount, 1);
    EXPECT_EQ(QSize(info.value().width, info.value().height), QSize(600 - 20 - 60, 900 - 30 - 100));
    EXPECT_EQ(InkBox(codec, plain), QRect(80, 20, 40, 20));

    // Turned by 180 degrees the block sits as far from the bottom right corner as it sat from the
    // top left one.
    const QString turned = dir.filePath("turned.tif");
    ASSERT_EQ(SaveRegionAsTiff(page.get(), turned, 180, 600, 900, 30, 100, 20, 60), RegionSaved);
    EXPECT_EQ(InkBox(codec, turned), QRect(520 - 80 - 40, 770 - 20 - 20, 40, 20));
    EXPECT_EQ(QSize(page->width(), page->height()), QSize(600, 900));

    // One row off the bottom and nothing else: the page as it was, less that row.
    const QString whole = dir.filePath("whole.tif");
    ASSERT_EQ(SaveRegionAsTiff(page.get(), whole, 0, 600, 900, 0, 1, 0, 0), RegionSaved);
    EXPECT_EQ(codec.fileInfo(whole).value().height, 899);
    EXPECT_EQ(InkBox(codec, whole), QRect(100, 50, 40, 20));
}

TEST(SaveRegionAsTiff, ScalesDownToTheStorageResolutionOnlyWhenThePageIsFiner) {
    const LeptonicaImageCodec codec;
    QTemporaryDir dir;
    auto page = PageWithBlock(codec);
    const QString stored = dir.filePath("stored.tif");
    ASSERT_EQ(SaveRegionAsTiff(page.get(), stored, 0, 600, 900, 0, 0, 0, 0, 200), RegionSaved);
    const auto info = codec.fileInfo(stored).value();
    EXPECT_EQ(QSize(info.width, info.height), QSize(400, 600));
    EXPECT_EQ(info.yResolution, 200);
    EXPECT_EQ(info.xResolution, 200);
    const QRect box = InkBox(codec, stored);
    EXPECT_NEAR(box.x(), 67, 2);
    EXPECT_NEAR(box.width(), 27, 2);

    const QString kept = dir.filePath("kept.tif");
    ASSERT_EQ(SaveRegionAsTiff(page.get(), kept, 0, 600, 900, 0, 0, 0, 0, 400), RegionSaved);
    EXPECT_EQ(codec.fileInfo(kept).value().yResolution, 300);
    EXPECT_EQ(codec.fileInfo(kept).value().height, 900);
}

TEST(SaveRegionAsTiff, NoPageMarginsLeavingNothingAndUnwritablePathsFailWithAReason) {
    const LeptonicaImageCodec codec;
    QTemporaryDir dir;
    auto page = PageWithBlock(codec);
    QString error;
    EXPECT_EQ(SaveRegionAsTiff(nullptr, dir.filePath("a.tif"), 0, 600, 900, 0, 1, 0, 0, 0, &error), RegionNoBitmap);
    EXPECT_EQ(SaveRegionAsTiff(page.get(), dir.filePath("b.tif"), 0, 600, 900, 500, 400, 0, 0, 0, &error),
              RegionNotWritten);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(SaveRegionAsTiff(page.get(), dir.filePath("c.tif"), 0, 600, 900, 0, 0, 300, 300, 0, &error),
              RegionNotWritten);
    error.clear();
    EXPECT_EQ(SaveRegionAsTiff(page.get(), dir.filePath("missing/d.tif"), 0, 600, 900, 0, 1, 0, 0, 0, &error),
              RegionNotWritten);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 0);

    barcode::QVCodabar reader;
    reader.ContentStartRow = 1;
    EXPECT_TRUE(SaveDecodedPage(page.get(), dir.filePath("e.tif"), 0, 0, reader).isEmpty());
    EXPECT_FALSE(SaveDecodedPage(page.get(), dir.filePath("missing/f.tif"), 0, 0, reader).isEmpty());
    EXPECT_FALSE(SaveDecodedPage(nullptr, dir.filePath("g.tif"), 0, 0, reader).isEmpty());
}

} // namespace
} // namespace kestrova
