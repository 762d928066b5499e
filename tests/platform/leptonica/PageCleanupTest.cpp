#include "LeptonicaTestImages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace kestrova::test {
namespace {

void FillRect(PIX* pix, int x, int y, int w, int h, l_uint32 value) {
    leptonica::BoxPtr box(boxCreate(x, y, w, h));
    pixSetInRectArbitrary(pix, box.get(), value);
}

// A 1000 x 700 page at 300 dpi: a long bar near the top over rows of short dashes, as a form
// with a rule over lines of text.
PixPtr RuledPage() {
    PixPtr pix(pixCreate(1000, 700, 1));
    FillRect(pix.get(), 100, 150, 800, 8, 1);
    for (int y = 250; y < 620; y += 40)
        for (int x = 100; x < 890; x += 30) FillRect(pix.get(), x, y, 20, 10, 1);
    pixSetResolution(pix.get(), 300, 300);
    return pix;
}

std::unique_ptr<PageImage> AtDepth(PixPtr pix, int depth) {
    auto image = Image(std::move(pix));
    if (depth == 1) return image;
    auto converted = image->converted(depth);
    return converted ? std::move(converted.value()) : nullptr;
}

bool DarkAt(const PageImage& image, int x, int y) {
    PixPtr mask = leptonica::ConvertedCopy(PixOf(image), 1);
    l_uint32 v = 0;
    pixGetPixel(mask.get(), x, y, &v);
    return v != 0;
}

// Height of the widest dark shape on the page: the long bar's, straight or slanted.
int WidestShapeHeight(const PageImage& image) {
    PixPtr mask = leptonica::ConvertedCopy(PixOf(image), 1);
    BOXA* boxes = pixConnComp(mask.get(), nullptr, 8);
    int widest = 0, height = -1;
    for (int i = 0; i < boxaGetCount(boxes); ++i) {
        l_int32 x = 0, y = 0, w = 0, h = 0;
        boxaGetBoxGeometry(boxes, i, &x, &y, &w, &h);
        if (w > widest) widest = w, height = h;
    }
    boxaDestroy(&boxes);
    return height;
}

TEST(PageCleanup, DeskewStraightensASlantedPageAtEveryDepth) {
    for (const int depth : {1, 4, 8, 24})
        for (const double slant : {3.0, -2.5, 6.0, 0.5}) {
            auto image = AtDepth(RuledPage(), depth);
            ASSERT_TRUE(image && image->turn(slant)) << depth;
            const int w = image->width(), h = image->height();
            // 800 pixels rise 7 at half a degree, 42 at 3 degrees, over the bar's 8.
            ASSERT_GT(WidestShapeHeight(*image), 4 + 800 * std::abs(slant) * 0.017) << depth << " " << slant;

            ASSERT_TRUE(image->deskew()) << depth << " " << slant;
            EXPECT_LE(WidestShapeHeight(*image), 11) << depth << " " << slant;
            EXPECT_EQ(image->width(), w);
            EXPECT_EQ(image->height(), h);
            EXPECT_EQ(image->bitsPerPixel(), depth);
            EXPECT_EQ(image->xResolution(), 300);
            EXPECT_EQ(image->yResolution(), 300);
            EXPECT_FALSE(DarkAt(*image, 0, 0)) << "white comes in at the corners";
        }
}

// Specks all over a page: nothing in lines to measure a slant by.
PixPtr Specks() {
    std::mt19937 random(7);
    PixPtr pix(pixCreate(1000, 700, 1));
    for (int i = 0; i < 40000; ++i) pixSetPixel(pix.get(), random() % 1000, random() % 700, 1);
    return pix;
}

TEST(PageCleanup, DeskewLeavesStraightEmptyAndUnmeasurablePagesAsTheyAre) {
    enum Page { Straight, Blank, Speckled };
    for (const int depth : {1, 8, 24}) {
        for (const Page kind : {Straight, Blank, Speckled}) {
            PixPtr page = kind == Straight ? RuledPage() : kind == Blank ? PixPtr(pixCreate(600, 400, 1)) : Specks();
            auto image = AtDepth(std::move(page), depth);
            ASSERT_TRUE(image) << depth;
            auto before = image->clone();
            ASSERT_TRUE(image->deskew()) << depth;
            EXPECT_EQ(DifferentPixels(PixOf(*image), PixOf(*before)), 0) << depth << " " << kind;
        }
    }
}

TEST(PageCleanup, RemoveBorderWhitensTheFrameAndKeepsInnerMarksAtEveryDepth) {
    // A dark frame round the page with a notch of it reaching in, a mark in the middle and, in
    // grey, a light patch at the edge that is paper, not border.
    struct Shades {
        int depth;
        l_uint32 white, dark, black, light;
    };
    for (const Shades c : {Shades{1, 0, 1, 1, 0}, Shades{4, 15, 2, 0, 12}, Shades{8, 255, 40, 0, 200}}) {
        const int depth = c.depth;
        const l_uint32 white = c.white, dark = c.dark, black = c.black;
        PixPtr pix(pixCreate(400, 300, depth));
        pixSetAllArbitrary(pix.get(), white);
        FillRect(pix.get(), 0, 0, 400, 15, dark);
        FillRect(pix.get(), 0, 285, 400, 15, dark);
        FillRect(pix.get(), 0, 0, 12, 300, dark);
        FillRect(pix.get(), 388, 0, 12, 300, dark);
        FillRect(pix.get(), 12, 100, 30, 10, dark);
        FillRect(pix.get(), 180, 130, 40, 40, black);
        FillRect(pix.get(), 300, 285, 50, 15, c.light);
        pixSetResolution(pix.get(), 200, 200);
        auto image = Image(std::move(pix));
        if (depth == 8) {
            auto colour = image->converted(24);
            ASSERT_TRUE(colour && colour.value()->removeBorder());
            EXPECT_EQ(PixelAt(*colour.value(), 5, 150) >> 8, 0xffffffu);
            EXPECT_EQ(PixelAt(*colour.value(), 30, 105) >> 8, 0xffffffu);
            EXPECT_EQ(PixelAt(*colour.value(), 200, 150) >> 8, 0u);
            EXPECT_EQ(PixelAt(*colour.value(), 320, 290) >> 8, 0xc8c8c8u);
        }

        ASSERT_TRUE(image->removeBorder()) << depth;
        EXPECT_EQ(image->bitsPerPixel(), depth);
        EXPECT_EQ(image->width(), 400);
        EXPECT_EQ(image->xResolution(), 200);
        for (const auto& [x, y] :
             std::initializer_list<std::pair<int, int>>{{0, 0}, {399, 299}, {5, 150}, {395, 10}, {30, 105}, {100, 290}})
            EXPECT_EQ(PixelAt(*image, x, y), white) << depth << " at " << x << ", " << y;
        EXPECT_EQ(PixelAt(*image, 200, 150), black) << depth;
        EXPECT_EQ(PixelAt(*image, 180, 130), black) << depth;
        if (depth > 1) {
            EXPECT_EQ(PixelAt(*image, 320, 290), c.light) << depth;
        }

        // Nothing left at the edges: a second pass changes nothing.
        auto once = image->clone();
        ASSERT_TRUE(image->removeBorder());
        EXPECT_EQ(DifferentPixels(PixOf(*image), PixOf(*once)), 0) << depth;
    }
}

} // namespace
} // namespace kestrova::test
