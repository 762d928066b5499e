#include "LeptonicaTestImages.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <unistd.h>

namespace kestrova::test {
namespace {

class PageLoad : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QTemporaryDir dir;
    LeptonicaImageCodec codec;
};

TEST_F(PageLoad, LoadsAtTheRequestedDepth) {
    PixPtr grey(pixCreate(4, 2, 8));
    const int values[] = {0, 127, 128, 255};
    for (int x = 0; x < 4; ++x) pixSetPixel(grey.get(), x, 0, values[x]);
    pixSetResolution(grey.get(), 150, 150);
    const QString file = path(QStringLiteral("grey.png"));
    ASSERT_EQ(pixWrite(leptonica::NativePath(file).constData(), grey.get(), IFF_PNG), 0);

    struct Case {
        int requested;
        int loaded;
    };
    for (const Case c : {Case{1, 1}, Case{2, 4}, Case{4, 4}, Case{8, 8}, Case{16, 8}, Case{24, 24}, Case{32, 24}}) {
        const auto page = codec.loadPage(file, 0, c.requested);
        ASSERT_TRUE(page) << c.requested << page.error().toStdString();
        EXPECT_EQ(page.value().image->bitsPerPixel(), c.loaded) << c.requested;
        EXPECT_EQ(page.value().image->xResolution(), 150) << c.requested;
        EXPECT_EQ(page.value().info.bitsPerPixel, 8);
        EXPECT_EQ(page.value().info.formatName, QLatin1String("PNG"));
        EXPECT_EQ(page.value().info.pageCount, 1);
    }
    const auto bits = codec.loadPage(file, 0, 1);
    EXPECT_EQ(PixelAt(*bits.value().image, 1, 0), 1u); // 127 is black
    EXPECT_EQ(PixelAt(*bits.value().image, 2, 0), 0u); // 128 is white
    EXPECT_EQ(PixelAt(*codec.loadPage(file, 0, 24).value().image, 1, 0) >> 8, 0x7f7f7fu);

    for (int bad : {0, -1, 33}) {
        const auto refused = codec.loadPage(file, 0, bad);
        EXPECT_FALSE(refused) << bad;
        EXPECT_TRUE(refused.error().contains(QLatin1String("grey.png"))) << refused.error().toStdString();
    }
}

TEST_F(PageLoad, ColourGoesToOneBitByLuminance) {
    PixPtr colour(pixCreate(3, 1, 32));
    composeRGBPixel(255, 0, 0, pixGetData(colour.get()) + 0);   // red: dark
    composeRGBPixel(255, 255, 0, pixGetData(colour.get()) + 1); // yellow: light
    composeRGBPixel(0, 0, 255, pixGetData(colour.get()) + 2);   // blue: dark
    const QString file = path(QStringLiteral("colour.bmp"));
    ASSERT_EQ(pixWrite(leptonica::NativePath(file).constData(), colour.get(), IFF_BMP), 0);
    const auto page = codec.loadPage(file, 0, 1);
    ASSERT_TRUE(page) << page.error().toStdString();
    EXPECT_EQ(page.value().info.bitsPerPixel, 24);
    EXPECT_EQ(page.value().info.compressionName, QLatin1String("NONE"));
    EXPECT_EQ(PixelAt(*page.value().image, 0, 0), 1u);
    EXPECT_EQ(PixelAt(*page.value().image, 1, 0), 0u);
    EXPECT_EQ(PixelAt(*page.value().image, 2, 0), 1u);
}

TEST_F(PageLoad, OneBitFilesOfEitherPolarityReadBlackAsBlack) {
    // A TIFF whose 0 is black (scanners write either sense).
    const QString minIsBlack = path(QStringLiteral("minisblack.tif"));
    TIFF* tif = TIFFOpen(leptonica::NativePath(minIsBlack).constData(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 8);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS);
    unsigned char row = 0x80; // first pixel white, the rest black
    TIFFWriteScanline(tif, &row, 0, 0);
    TIFFClose(tif);

    // A PNG whose palette has black at index 0 and white at 1.
    const QString palette = path(QStringLiteral("palette.png"));
    PixPtr mapped = BlackPixels(8, 1, {{0, 0}});
    PIXCMAP* cmap = pixcmapCreate(1);
    pixcmapAddColor(cmap, 0, 0, 0);
    pixcmapAddColor(cmap, 255, 255, 255);
    pixSetColormap(mapped.get(), cmap);
    ASSERT_EQ(pixWrite(leptonica::NativePath(palette).constData(), mapped.get(), IFF_PNG), 0);

    for (const QString& file : {minIsBlack, palette}) {
        const auto page = codec.loadPage(file, 0, 1);
        ASSERT_TRUE(page) << page.error().toStdString();
        barcode::PageBitmap bitmap;
        ASSERT_TRUE(page.value().image->toPageBitmap(bitmap));
        EXPECT_EQ(bitmap.bits[0], 0x80) << file.toStdString(); // set bit = white
    }
    EXPECT_EQ(codec.fileInfo(minIsBlack).value().compressionName, QLatin1String("PACKBITS"));
}

TEST_F(PageLoad, SixteenBitGreyLoadsAtEveryDepth) {
    const QString file = path(QStringLiteral("grey16.tif"));
    TIFF* tif = TIFFOpen(leptonica::NativePath(file).constData(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 2);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 118.11f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 118.11f);
    std::uint16_t row[2] = {0x1000, 0xF000}; // dark, light
    TIFFWriteScanline(tif, row, 0, 0);
    TIFFClose(tif);

    const auto info = codec.fileInfo(file);
    ASSERT_TRUE(info) << info.error().toStdString();
    EXPECT_EQ(info.value().bitsPerPixel, 16);
    EXPECT_EQ(info.value().xResolution, 300); // 118.11 per centimetre
    for (int depth : {1, 4, 8, 24}) {
        const auto page = codec.loadPage(file, 0, depth);
        ASSERT_TRUE(page) << depth << page.error().toStdString();
        EXPECT_EQ(page.value().image->bitsPerPixel(), depth);
        EXPECT_EQ(page.value().image->xResolution(), 300);
    }
    const auto bits = codec.loadPage(file, 0, 1);
    EXPECT_EQ(PixelAt(*bits.value().image, 0, 0), 1u);
    EXPECT_EQ(PixelAt(*bits.value().image, 1, 0), 0u);
}

TEST_F(PageLoad, PagesOutsideTheFileAreErrors) {
    const QString file = path(QStringLiteral("two.tif"));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(
            Image(BlackPixels(16, 16, {{i, i}}))->saveTiff(file, TiffCompression::CcittG4, TiffSaveMode::Append));
    }
    EXPECT_TRUE(codec.loadPage(file, 1, 1));
    for (int page : {2, -1}) {
        const auto missing = codec.loadPage(file, page, 1);
        EXPECT_FALSE(missing) << page;
        EXPECT_TRUE(missing.error().contains(QLatin1String("2 page"))) << missing.error().toStdString();
    }
    const QString png = path(QStringLiteral("one.png"));
    ASSERT_TRUE(Image(BlackPixels(16, 16, {}))->saveAs(png, ImageFileFormat::Png));
    EXPECT_FALSE(codec.loadPage(png, 1, 1));
    EXPECT_EQ(codec.pageCount(png).value(), 1);
}

} // namespace
} // namespace kestrova::test
