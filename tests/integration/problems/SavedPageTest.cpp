// How an accepted problem page is written: its compression and depth follow the problem file, and
// typed names and "*all" store it at the storage resolution.
#include "ProblemRig.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::decodetest;
using namespace kestrova::problemtest;

namespace {

struct SavedForm {
    const char* format; // how the problem file is written
    int depth;          // its depth
    const char* name;
    int problemDepth;
    int savedDepth;
    const char* compression;
};

TEST(ProblemResolution, AcceptedPagesKeepTheDepthOfTheirProblemFile) {
    const std::vector<SavedForm> cases = {
        {"g4", 1, "20261208140000000.tif", 1, 1, "FAXCCITT4"},
        {"lzw", 8, "20261208140000000.tif", 8, 8, "PACKBITS"},
        {"png", 1, "20261208140000000.png", 4, 4, "PACKBITS"},
        {"png", 24, "20261208140000000.png", 4, 4, "PACKBITS"},
    };
    for (const SavedForm& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " " + std::to_string(c.depth));
        ProblemRig rig;
        const auto page = FormWithCodabar("A12341234A").image(rig.codec);
        ASSERT_TRUE(page);
        std::unique_ptr<PageImage> deep = c.depth == 1 ? page->clone() : std::move(page->converted(c.depth).value());
        ASSERT_TRUE(deep);
        ASSERT_TRUE(rig.writeImage(c.name, *deep, c.format));
        rig.resolution.ShowNextProblem();
        ASSERT_EQ(rig.resolution.currentFile(), c.name);
        EXPECT_EQ(rig.resolution.ProblemDepth, c.problemDepth);
        EXPECT_EQ(rig.resolution.ProblemTypeLabel.toStdString(), "Unspecified Problem.");

        rig.accept(QStringLiteral("12341234"));

        const QString filed = OnlyMatch(rig.decoded(), "^12341234~HISTS2z[0-9A-F]{5}\\.tif$");
        ASSERT_FALSE(filed.isEmpty()) << Joined(rig.decoded());
        const auto info = rig.codec.fileInfo(rig.decodedDir + filed);
        ASSERT_TRUE(info);
        EXPECT_EQ(info.value().bitsPerPixel, c.savedDepth);
        EXPECT_EQ(info.value().compressionName.toStdString(), c.compression);
        EXPECT_EQ(info.value().yResolution, 200);
        EXPECT_EQ(InspectPage(rig.decodedDir + filed, rig.codec).barcodes.toStdString(), "A12341234A:");
        EXPECT_TRUE(rig.problems().isEmpty()) << Joined(rig.problems());
    }
}

TEST(ProblemResolution, TypedNamesAndAllAreStoredAtTheStorageResolutionForcedNamesAsLoaded) {
    ProblemRig rig;
    rig.station.editSetup().StorageResolution = 200;
    // Elements of 4 and 8 pixels at 300 dpi stay readable at 200 dpi.
    PageSketch sketch(300);
    sketch.symbol(QStringLiteral("CODABAR"), "A55555555A", 30, 15, 4, 8).text(40, 250);
    for (int i = 0; i < 3; ++i) {
        const QString stamp = QStringLiteral("2026120814000000%1").arg(i);
        ASSERT_FALSE(rig.writeProblem(stamp, sketch, {"", "", "", "", "", "A55555555A:A777A:"}).isEmpty());
    }
    rig.resolution.ShowNextProblem();
    rig.accept(QStringLiteral("55555555"));
    rig.accept(QStringLiteral("!66666666"));
    rig.accept(QStringLiteral("*all"));
    EXPECT_TRUE(rig.problems().isEmpty());

    const QStringList decoded = rig.decoded();
    ASSERT_EQ(decoded.size(), 4) << Joined(decoded);
    for (const char* pattern : {"^55555555~HISTS2z", "^55555555~HISTS2x", "^777~HISTS2x"}) {
        SCOPED_TRACE(pattern);
        const QString name = OnlyMatch(decoded, pattern);
        ASSERT_FALSE(name.isEmpty());
        const SavedPage saved = InspectPage(rig.decodedDir + name, rig.codec);
        EXPECT_EQ(saved.xDpi, 200);
        EXPECT_EQ(saved.yDpi, 200);
        EXPECT_NEAR(saved.width, 1654, 1);
        EXPECT_NEAR(saved.height, 2339, 1);
        EXPECT_EQ(saved.compression.toStdString(), "FAXCCITT4");
        EXPECT_EQ(saved.barcodes.toStdString(), "A55555555A:");
    }
    const SavedPage forced = InspectPage(rig.decodedDir + OnlyMatch(decoded, "^66666666~HISTS2z"), rig.codec);
    EXPECT_EQ(forced.yDpi, 300);
    EXPECT_EQ(forced.width, 2480);
    EXPECT_EQ(forced.height, 3508);
}

} // namespace
