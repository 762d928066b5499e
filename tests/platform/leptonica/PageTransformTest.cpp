#include "LeptonicaTestImages.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

namespace kestrova::test {
namespace {

PixPtr RandomBits(int w, int h, unsigned seed) {
    std::mt19937 random(seed);
    PixPtr pix(pixCreate(w, h, 1));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixSetPixel(pix.get(), x, y, random() % 2);
    pixSetResolution(pix.get(), 300, 200);
    return pix;
}

int BlackCount(PIX* pix) {
    l_int32 count = 0;
    pixCountPixels(pix, &count, nullptr);
    return count;
}

TEST(PageTransform, QuarterTurnsMapEveryPixelClockwise) {
    const int w = 37, h = 23;
    struct Case {
        double degrees;
        int quarters; // clockwise
    };
    for (const Case c :
         {Case{90, 1}, Case{180, 2}, Case{270, 3}, Case{-90, 3}, Case{450, 1}, Case{-180, 2}, Case{0, 0}}) {
        auto original = Image(RandomBits(w, h, 11));
        auto turned = original->clone();
        ASSERT_TRUE(turned->turn(c.degrees)) << c.degrees;
        const bool odd = c.quarters % 2 == 1;
        ASSERT_EQ(turned->width(), odd ? h : w) << c.degrees;
        ASSERT_EQ(turned->height(), odd ? w : h) << c.degrees;
        EXPECT_EQ(turned->xResolution(), odd ? 200 : 300) << c.degrees;
        EXPECT_EQ(turned->yResolution(), odd ? 300 : 200) << c.degrees;
        int mismatches = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int tx = x, ty = y;
                switch (c.quarters) {
                case 1:
                    tx = h - 1 - y, ty = x;
                    break;
                case 2:
                    tx = w - 1 - x, ty = h - 1 - y;
                    break;
                case 3:
                    tx = y, ty = w - 1 - x;
                    break;
                default:
                    break;
                }
                mismatches += PixelAt(*original, x, y) != PixelAt(*turned, tx, ty);
            }
        EXPECT_EQ(mismatches, 0) << c.degrees;
    }
}

TEST(PageTransform, OtherAnglesGrowOnWhiteAndTurnClockwise) {
    // A black dot right of the centre moves down when the page turns clockwise.
    auto image = Image(BlackPixels(101, 61, {{90, 30}, {91, 30}, {90, 31}, {91, 31}}));
    ASSERT_TRUE(image->turn(20));
    EXPECT_GE(image->width(), 114); // 101 cos 20 + 61 sin 20
    EXPECT_GE(image->height(), 91); // 101 sin 20 + 61 cos 20
    EXPECT_EQ(image->bitsPerPixel(), 1);
    EXPECT_EQ(PixelAt(*image, 0, 0), 0u);
    EXPECT_EQ(PixelAt(*image, image->width() - 1, image->height() - 1), 0u);
    BOX* box = nullptr;
    ASSERT_EQ(pixClipToForeground(PixOf(*image), nullptr, &box), 0);
    l_int32 bx = 0, by = 0, bw = 0, bh = 0;
    boxGetGeometry(box, &bx, &by, &bw, &bh);
    boxDestroy(&box);
    EXPECT_GT(bx, image->width() / 2 + 30);
    EXPECT_GT(by, image->height() / 2 + 8);

    for (int depth : {4, 8, 24}) {
        auto deep = Image(GreyRamp(60, 40))->converted(depth);
        ASSERT_TRUE(deep);
        ASSERT_TRUE(deep.value()->turn(-33.5));
        EXPECT_EQ(deep.value()->bitsPerPixel(), depth);
        const l_uint32 corner = PixelAt(*deep.value(), 0, 0);
        EXPECT_EQ(depth == 24 ? corner >> 8 : corner, depth == 4 ? 15u : depth == 8 ? 255u : 0xffffffu) << depth;
    }
    EXPECT_FALSE(image->turn(std::numeric_limits<double>::quiet_NaN()));
}

TEST(PageTransform, InvertFlipsEveryPixel) {
    auto bits = Image(RandomBits(45, 9, 3));
    auto flipped = bits->clone();
    ASSERT_TRUE(flipped->invert());
    EXPECT_EQ(BlackCount(PixOf(*flipped)), 45 * 9 - BlackCount(PixOf(*bits)));
    EXPECT_EQ(PixelAt(*flipped, 4, 4), 1u - PixelAt(*bits, 4, 4));

    auto grey = Image(GreyRamp(20, 20));
    ASSERT_TRUE(grey->invert());
    EXPECT_EQ(PixelAt(*grey, 3, 5), 255u - (3 * 7 + 5 * 3));
}

TEST(PageTransform, RectangleCopyCropsClipsAndScales) {
    auto image = Image(RandomBits(50, 30, 5));
    auto crop = image->copyRect(QRect(7, 4, 20, 10));
    ASSERT_TRUE(crop) << crop.error().toStdString();
    ASSERT_EQ(crop.value()->width(), 20);
    ASSERT_EQ(crop.value()->height(), 10);
    EXPECT_EQ(crop.value()->xResolution(), 300);
    int mismatches = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) mismatches += PixelAt(*crop.value(), x, y) != PixelAt(*image, x + 7, y + 4);
    EXPECT_EQ(mismatches, 0);

    auto clipped = image->copyRect(QRect(40, 20, 30, 30));
    ASSERT_TRUE(clipped);
    EXPECT_EQ(clipped.value()->width(), 10);
    EXPECT_EQ(clipped.value()->height(), 10);

    auto outside = image->copyRect(QRect(60, 0, 5, 5));
    EXPECT_FALSE(outside);
    EXPECT_FALSE(outside.error().isEmpty());
    EXPECT_FALSE(image->copyRect(QRect(3, 3, 0, 5)));

    for (int depth : {1, 4, 8, 24}) {
        auto source = image->converted(depth);
        ASSERT_TRUE(source);
        auto scaled = source.value()->copyRect(QRect(0, 0, 50, 30), QSize(25, 60));
        ASSERT_TRUE(scaled) << depth;
        EXPECT_EQ(scaled.value()->width(), 25);
        EXPECT_EQ(scaled.value()->height(), 60);
        EXPECT_EQ(scaled.value()->bitsPerPixel(), depth);
    }
}

TEST(PageTransform, ConversionThresholdsAtHalfGrey) {
    PixPtr grey(pixCreate(4, 1, 8));
    pixSetPixel(grey.get(), 0, 0, 0);
    pixSetPixel(grey.get(), 1, 0, 127);
    pixSetPixel(grey.get(), 2, 0, 128);
    pixSetPixel(grey.get(), 3, 0, 255);
    pixSetResolution(grey.get(), 150, 150);
    auto bits = Image(std::move(grey))->converted(1);
    ASSERT_TRUE(bits);
    EXPECT_EQ(bits.value()->bitsPerPixel(), 1);
    EXPECT_EQ(bits.value()->xResolution(), 150);
    EXPECT_EQ(PixelAt(*bits.value(), 0, 0), 1u);
    EXPECT_EQ(PixelAt(*bits.value(), 1, 0), 1u);
    EXPECT_EQ(PixelAt(*bits.value(), 2, 0), 0u);
    EXPECT_EQ(PixelAt(*bits.value(), 3, 0), 0u);

    auto four = bits.value()->converted(4);
    ASSERT_TRUE(four);
    EXPECT_EQ(PixelAt(*four.value(), 0, 0), 0u);
    EXPECT_EQ(PixelAt(*four.value(), 3, 0), 15u);
    // A conversion to the same depth is a copy of its own.
    auto same = bits.value()->converted(1);
    ASSERT_TRUE(same);
    ASSERT_TRUE(same.value()->invert());
    EXPECT_EQ(PixelAt(*bits.value(), 0, 0), 1u);
    EXPECT_EQ(PixelAt(*same.value(), 0, 0), 0u);
    EXPECT_FALSE(bits.value()->converted(0));
    EXPECT_FALSE(bits.value()->converted(48));
}

} // namespace
} // namespace kestrova::test
