// Problem pages read again on the station: the whole page when batch decoding looked only at the
// target area, and a page the operator turns a quarter.
#include "ProblemRig.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::decodetest;
using namespace kestrova::problemtest;

namespace {

TEST(ProblemResolution, WithoutRetriesTheWholePageIsReadWhenTheProblemIsShown) {
    ProblemRig rig(SearchOption0);
    std::vector<PageSketch> pages;
    // Below the quarter of the page where ~HIST pages are read.
    pages.push_back(PageSketch(200).text(30, 180, 2).symbol(Codabar, "A22222222A", 30, 200));
    // Upside down, its barcode lands at the bottom.
    pages.push_back(FormWithCodabar("A44444444A", 200, 4).turned(180));
    ASSERT_EQ(rig.writeBatch(pages), QString());
    rig.run();
    const QStringList problems = rig.problems().filter(QStringLiteral(".tif"));
    ASSERT_EQ(problems.size(), 2) << Joined(rig.problems());
    const QStringList reasonBefore = rig.reasonLines(QString(problems[0]).replace(".tif", ".scn"));
    EXPECT_EQ(reasonBefore.last().toStdString(), "No acceptable barcodes found.");

    std::vector<int> cursors;
    rig.station.setCursorHook([&cursors](int cursor) { cursors.push_back(cursor); });
    rig.resolution.FixProbsButtonClick();
    EXPECT_EQ(rig.resolution.currentFile(), problems[0]);
    EXPECT_EQ(Joined(rig.resolution.newbarcodeItems), "22222222");
    EXPECT_EQ(rig.resolution.newbarcodeText.toStdString(), "22222222");
    EXPECT_EQ(rig.resolution.ProblemTypeLabel.toStdString(), "No acceptable barcode found in target area.");
    EXPECT_EQ(cursors.size(), 2u); // busy while reading, then back
    EXPECT_EQ(cursors.back(), 0);
    // The reason file stays as decoding wrote it.
    EXPECT_EQ(rig.reasonLines(QString(problems[0]).replace(".tif", ".scn")), reasonBefore);

    rig.resolution.SkipButtonClick();
    EXPECT_EQ(Joined(rig.resolution.newbarcodeItems), "44444444");
    EXPECT_EQ(rig.resolution.ProblemTypeLabel.toStdString(),
              "No acceptable barcode found in target area.Image Inverted.");

    // Filed under the number found.
    rig.accept(rig.resolution.newbarcodeText);
    EXPECT_FALSE(OnlyMatch(rig.decoded(), "^44444444~HISTS2z[0-9A-F]{5}\\.tif$").isEmpty()) << Joined(rig.decoded());

    // With "Decode Problems" off, or with retries allowed, the page is shown as decoding left it.
    rig.station.task().setDecodeProblems1(false);
    rig.resolution.ShowNextProblem();
    EXPECT_EQ(rig.resolution.currentFile(), problems[0]);
    EXPECT_TRUE(rig.resolution.newbarcodeItems.isEmpty());
    EXPECT_EQ(rig.resolution.ProblemTypeLabel.toStdString(), "No acceptable barcodes found.");
    rig.station.task().setDecodeProblems1(true);
    rig.setOptions(0);
    rig.resolution.ShowNextProblem();
    EXPECT_TRUE(rig.resolution.newbarcodeItems.isEmpty());
    EXPECT_EQ(rig.resolution.ProblemTypeLabel.toStdString(), "No acceptable barcodes found.");
}

TEST(ProblemResolution, AQuarterTurnOfASidewaysPageFindsItsBarcode) {
    ProblemRig rig(SearchOption0); // no sideways read while decoding
    ASSERT_EQ(rig.writeBatch({FormWithCodabar("A33333333A", 200, 3).turned(-90)}), QString());
    rig.run();
    ASSERT_EQ(rig.problems().size(), 2) << Joined(rig.problems());
    rig.resolution.FixProbsButtonClick();
    ASSERT_NE(rig.resolution.page(), nullptr);
    EXPECT_GT(rig.resolution.page()->width(), rig.resolution.page()->height());
    EXPECT_TRUE(rig.resolution.newbarcodeItems.isEmpty()) << Joined(rig.resolution.newbarcodeItems);

    // Turned upright with "Decode Problems" off, and upside down by a half turn, the page is only
    // turned.
    rig.station.task().setDecodeProblems1(false);
    rig.resolution.RotatePage(90);
    EXPECT_TRUE(rig.resolution.newbarcodeItems.isEmpty());
    rig.station.task().setDecodeProblems1(true);
    rig.resolution.RotatePage(180);
    EXPECT_TRUE(rig.resolution.newbarcodeItems.isEmpty());
    // A quarter turn that leaves it sideways finds nothing; the next one makes it upright again
    // and reads it.
    rig.resolution.RotatePage(90);
    EXPECT_TRUE(rig.resolution.newbarcodeItems.isEmpty()) << Joined(rig.resolution.newbarcodeItems);
    rig.resolution.RotatePage(90);
    EXPECT_EQ(rig.pageChanges, 4);
    EXPECT_EQ(Joined(rig.resolution.newbarcodeItems), "33333333");
    EXPECT_EQ(rig.resolution.newbarcodeText.toStdString(), "33333333");
    EXPECT_GT(rig.resolution.page()->height(), rig.resolution.page()->width());

    // Accepted, the page is filed as shown: upright and measured as the long document.
    rig.accept(rig.resolution.newbarcodeText);
    const QString filed = OnlyMatch(rig.decoded(), "^33333333~HISTS2z[0-9A-F]{5}\\.tif$");
    ASSERT_FALSE(filed.isEmpty()) << Joined(rig.decoded());
    const SavedPage saved = InspectPage(rig.decodedDir + filed, rig.codec);
    EXPECT_EQ(saved.barcodes.toStdString(), "A33333333A:");
    EXPECT_NEAR(saved.inkTop, 118, 2);
    EXPECT_TRUE(rig.problems().isEmpty());
}

TEST(ProblemResolution, AQuarterTurnAddsWhatItFindsToTheCandidates) {
    ProblemRig rig;
    // A page with a Code 39 number across it and a Codabar number along it.
    PageSketch page(200);
    page.symbol(QStringLiteral("CODE39"), "55555", 30, 15).symbol(Codabar, "A66666666A", 30, 40).text(60, 250);
    const QString problem =
        rig.writeProblem("20261208140000000", page.turned(90), {"", "55555:", "", "", "", ""}, "1 barcodes found");
    ASSERT_FALSE(problem.isEmpty());
    rig.resolution.ShowNextProblem();
    EXPECT_EQ(Joined(rig.resolution.newbarcodeItems), "55555");

    rig.resolution.RotatePage(90);

    EXPECT_EQ(Joined(rig.resolution.newbarcodeItems), "*All|55555|66666666");
    EXPECT_EQ(rig.resolution.newbarcodeText, QString());
    EXPECT_EQ(rig.resolution.ProblemTypeLabel.toStdString(), "2 barcodes listed.");
}

} // namespace
