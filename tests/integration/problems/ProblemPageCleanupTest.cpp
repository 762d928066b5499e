// The problem page is filed as the operator left it with the toolbar: straightened, its scanner
// border whitened.
#include "ProblemRig.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace kestrova;
using namespace kestrova::decodetest;
using namespace kestrova::problemtest;

namespace {

const char* const NAME = "20261209170000000.tif";

int InkHeight(const SavedPage& page) {
    return page.inkBottom - page.inkTop + 1;
}

// The page as the scanner saw it, with its black surroundings: a frame `side` pixels wide.
std::unique_ptr<PageImage> Framed(const PageImage& page, const ImageCodec& codec, int side) {
    barcode::PageBitmap bitmap;
    if (!page.toPageBitmap(bitmap)) return nullptr;
    for (int r = 0; r < bitmap.height; ++r)
        for (int x = 0; x < bitmap.width; ++x) {
            if (r >= side && r < bitmap.height - side && x >= side && x < bitmap.width - side) continue;
            bitmap.row(r)[x / 8] &= static_cast<std::uint8_t>(~(0x80u >> (x % 8)));
        }
    auto framed = codec.fromPageBitmap(bitmap, page.xResolution(), page.yResolution());
    return framed ? std::move(framed.value()) : nullptr;
}

TEST(ProblemResolution, ADeskewedPageIsFiledStraight) {
    ProblemRig rig;
    QTemporaryDir scratch;
    const auto upright = FormWithCodabar("A12341234A").image(rig.codec);
    ASSERT_TRUE(upright &&
                upright->saveTiff(scratch.filePath("upright.tif"), TiffCompression::CcittG4, TiffSaveMode::Replace));
    const SavedPage straight = InspectPage(scratch.filePath("upright.tif"), rig.codec);
    auto slanted = upright->clone();
    ASSERT_TRUE(slanted->turn(3));
    ASSERT_TRUE(rig.writeImage(NAME, *slanted, QStringLiteral("g4")));
    const SavedPage before = InspectPage(rig.problemsDir + NAME, rig.codec);
    ASSERT_GT(InkHeight(before), InkHeight(straight) + 20);

    rig.resolution.ShowNextProblem();
    ASSERT_EQ(rig.resolution.currentFile(), NAME);
    const int changes = rig.pageChanges;
    const qsizetype logged = rig.log().size();
    rig.resolution.DeskewPage();
    EXPECT_EQ(rig.pageChanges, changes + 1);
    EXPECT_TRUE(rig.logFrom(logged).isEmpty()) << rig.logFrom(logged).join('|').toStdString();
    rig.accept(QStringLiteral("12341234"));

    const QString filed = OnlyMatch(rig.decoded(), "^12341234~HISTS2z[0-9A-F]{5}\\.tif$");
    ASSERT_FALSE(filed.isEmpty());
    const SavedPage after = InspectPage(rig.decodedDir + filed, rig.codec);
    EXPECT_EQ(after.compression.toStdString(), "FAXCCITT4");
    EXPECT_EQ(after.width, before.width);
    EXPECT_EQ(after.height, before.height);
    EXPECT_LE(InkHeight(after), InkHeight(straight) + 6) << InkHeight(before);
    EXPECT_EQ(after.barcodes.toStdString(), "A12341234A:");
}

TEST(ProblemResolution, APageWithItsBorderRemovedIsFiledWithoutIt) {
    ProblemRig rig;
    QTemporaryDir scratch;
    const auto upright = FormWithCodabar("A12341234A").image(rig.codec);
    ASSERT_TRUE(upright &&
                upright->saveTiff(scratch.filePath("upright.tif"), TiffCompression::CcittG4, TiffSaveMode::Replace));
    const SavedPage clean = InspectPage(scratch.filePath("upright.tif"), rig.codec);
    const auto framed = Framed(*upright, rig.codec, 40);
    ASSERT_TRUE(framed);
    ASSERT_TRUE(rig.writeImage(NAME, *framed, QStringLiteral("g4")));

    rig.resolution.ShowNextProblem();
    ASSERT_EQ(rig.resolution.currentFile(), NAME);
    const int changes = rig.pageChanges;
    rig.resolution.RemovePageBorder();
    EXPECT_EQ(rig.pageChanges, changes + 1);
    rig.accept(QStringLiteral("12341234"));

    const QString filed = OnlyMatch(rig.decoded(), "^12341234~HISTS2z[0-9A-F]{5}\\.tif$");
    ASSERT_FALSE(filed.isEmpty());
    const SavedPage after = InspectPage(rig.decodedDir + filed, rig.codec);
    EXPECT_EQ(after.inkLeft, clean.inkLeft);
    EXPECT_EQ(after.inkTop, clean.inkTop);
    EXPECT_EQ(after.inkRight, clean.inkRight);
    EXPECT_EQ(after.inkBottom, clean.inkBottom);
    EXPECT_EQ(after.barcodes.toStdString(), "A12341234A:");
}

TEST(ProblemResolution, CleanUpWithoutAPageDoesNothing) {
    ProblemRig rig;
    rig.resolution.DeskewPage();
    rig.resolution.RemovePageBorder();
    EXPECT_EQ(rig.pageChanges, 0);
    EXPECT_EQ(rig.resolution.page(), nullptr);
}

} // namespace
