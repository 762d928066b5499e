// Batch decoding with page measuring ("Search Option" 3): crops, blank pages, the size summary
// and the scan size check.
#include "DecodeRig.h"
#include "barcode/QVCodabar.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::decodetest;

namespace {

const QString Codabar = QStringLiteral("CODABAR");

TEST(DecodeImages, PageMeasuringCropsDropsBlankPagesAndGroupsTheSummary) {
    DecodeRig rig(SearchOption3);
    std::vector<PageSketch> pages;
    pages.push_back(PageSketch(200).symbol(Codabar, "A10101010A", 25, 10).text(30, 293));                // 29 cm
    pages.push_back(PageSketch(200, 210, 310).symbol(Codabar, "A20202020A", 25, 10).text(30, 306));      // 30 cm
    pages.push_back(PageSketch(200).symbol(Codabar, "A30303030A", 25, 10).text(30, 214, 3));             // 21 cm
    pages.push_back(PageSketch(200));                                                                    // blank
    pages.push_back(PageSketch(200).text(20, 152, 5));                                                   // 15 cm
    pages.push_back(PageSketch(200).symbol(Codabar, "A40404040A", 25, 10).text(30, 200, 6).turned(-90)); // 18 cm
    ASSERT_EQ(rig.writeBatch(pages), QString());

    rig.run();

    // The 21 cm page is the shorter document; the others the longer one.
    const QStringList decoded = rig.decoded();
    ASSERT_EQ(decoded.size(), 4) << decoded.join(' ').toStdString();
    const QString a4 = OnlyMatch(decoded, "^10101010~HISTS2[0-9A-F]{5}\\.tif$");
    const QString longer = OnlyMatch(decoded, "^20202020~HISTS2[0-9A-F]{5}\\.tif$");
    const QString shorter = OnlyMatch(decoded, "^30303030~REQS2[0-9A-F]{5}\\.tif$");
    ASSERT_FALSE(a4.isEmpty());
    ASSERT_FALSE(longer.isEmpty());
    ASSERT_FALSE(shorter.isEmpty());
    const QString sideways = OnlyMatch(decoded, "^40404040~REQS2[0-9A-F]{5}\\.tif$");
    ASSERT_FALSE(sideways.isEmpty());

    // Cropped to the content: no white columns on the left, the print reaches the bottom edge, and
    // nothing is cut at the top.
    for (const auto& [name, page] : {std::pair{a4, 0}, {longer, 1}, {shorter, 2}}) {
        const SavedPage saved = InspectPage(rig.decodedDir + name, rig.codec);
        const SavedPage scanned = InspectPage(rig.imageSet, rig.codec, page);
        EXPECT_EQ(saved.inkLeft, 0) << name.toStdString();
        EXPECT_EQ(saved.inkTop, 79) << name.toStdString(); // 10 mm
        EXPECT_GE(saved.inkBottom, saved.height - 1) << name.toStdString();
        EXPECT_NEAR(saved.height, scanned.inkBottom, 3) << name.toStdString();
        EXPECT_EQ(saved.inkRight - saved.inkLeft, scanned.inkRight - scanned.inkLeft) << name.toStdString();
        EXPECT_LT(saved.width, 1654 - 150) << name.toStdString();
    }

    // The blank page is dropped; the page without a barcode is a problem page.
    const QStringList problems = rig.problems();
    ASSERT_EQ(problems.size(), 2) << problems.join(' ').toStdString();
    EXPECT_EQ(rig.reasonLines(problems[0]).value(6).toStdString(), "No acceptable barcodes found.");
    const SavedPage problem = InspectPage(rig.problemsDir + problems[1], rig.codec);
    EXPECT_NEAR(problem.height, InspectPage(rig.imageSet, rig.codec, 4).inkBottom, 3);
    EXPECT_EQ(problem.inkLeft, 0);

    // The sideways page is cropped on all four sides: the blank strip above its barcode (the left
    // margin of the scan) and the measured margins of the turned page.
    const SavedPage turned = InspectPage(rig.decodedDir + sideways, rig.codec);
    EXPECT_EQ(turned.barcodes.toStdString(), "A40404040A:");
    EXPECT_EQ(turned.inkTop, 0);
    EXPECT_EQ(turned.inkLeft, 0);
    EXPECT_GE(turned.inkBottom, turned.height - 1);
    EXPECT_NEAR(turned.height, 1547 - 79, 3); // print from 10 mm down to 196 mm

    // A blank page counts as a whole page.
    EXPECT_EQ(rig.station.ui.ScannerDocLabel.toStdString(),
              "Scan Size   :29.71cm\nResolution  :200 dpi\nTotal Pages :6\n"
              "29cm Pages  : 3\n21cm Pages  : 1\n15cm Pages  : 1\n18cm Pages  : 1\n");
}

// "Stop Searching After First Barcode" keeps no page measurements: no blank page, no crop.
TEST(DecodeImages, BlankPagesAreDroppedOnlyWithPageMeasuring) {
    const struct {
        std::uint32_t options;
        int problemFiles;
        int decodedHeight;
    } rows[] = {{0, 2, 2338}, {SearchOption3, 0, 767}, {SearchOption3 | barcode::FlagStopAfterFirst, 2, 2338}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options);
        DecodeRig rig(row.options);
        ASSERT_EQ(rig.writeBatch({PageSketch(200), PageSketch(200).symbol(Codabar, "A1234A", 25, 10).text(30, 100)}),
                  QString());
        rig.run();
        ASSERT_EQ(rig.decoded().size(), 1);
        EXPECT_EQ(rig.problems().size(), row.problemFiles);
        EXPECT_NEAR(InspectPage(rig.decodedDir + rig.decoded()[0], rig.codec).height, row.decodedHeight, 4);
    }
}

TEST(DecodeImages, AScanShorterThanTheMinimumIsNotDecoded) {
    DecodeRig rig(SearchOption3);
    rig.station.editSetup().SetupInfo.MinPageHeight = 280;
    ASSERT_EQ(rig.writeBatch({PageSketch(200, 210, 200).symbol(Codabar, "A1234A", 25, 10),
                              PageSketch(200, 210, 200).symbol(Codabar, "A5678A", 25, 10)}),
              QString());
    const QByteArray before = test::ReadFileBytes(rig.imageSet);
    rig.prompter.expectMessage("SCANNER SIZE PROBLEM");

    rig.run();

    ASSERT_EQ(rig.prompter.shown().size(), 1u);
    EXPECT_EQ(rig.prompter.shown()[0].text.toStdString(),
              "WARNING!!!! SCAN SIZE IS SMALLER THAN MINIMUM.\nScan height on this scan was 20cm.\n"
              "Pages longer than this might have been truncated.Please change the scan size back to 28cm and then "
              "re-scan these documents");
    EXPECT_EQ(rig.prompter.shown()[0].icon, MessageIcon::Error);
    EXPECT_EQ(rig.station.ui.ScannerDocLabel.toStdString(), "Reset Scanner height to 28cm before scanning again.");
    EXPECT_TRUE(rig.decoded().isEmpty());
    EXPECT_TRUE(rig.problems().isEmpty());
    EXPECT_EQ(test::ReadFileBytes(rig.imageSet), before);

    // Without page measuring the scan size is not checked.
    rig.setOptions(0);
    rig.run();
    EXPECT_EQ(rig.decoded().size(), 2);
    EXPECT_EQ(rig.prompter.shown().size(), 1u);
}

} // namespace
