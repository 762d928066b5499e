// Problem pages left by batch decoding, resolved one by one as the operator does: shown in turn,
// skipped, filed under every candidate, under a forced name, and deleted.
#include "ProblemRig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::decodetest;
using namespace kestrova::problemtest;

namespace {

TEST(ProblemResolution, WithNoProblemFilesTheStatusViewComesBackAtOnce) {
    ProblemRig rig;
    rig.station.task().setStoreFileTimerEnabled(true);

    rig.resolution.FixProbsButtonClick();

    EXPECT_FALSE(rig.station.task().StoreFileTimerEnabled());
    EXPECT_EQ(rig.statusViews, 1);
    EXPECT_EQ(rig.problemViews, 0);
    EXPECT_EQ(rig.resolution.ProblemIndex, 0);
    EXPECT_TRUE(rig.resolution.currentFile().isEmpty());
    EXPECT_EQ(rig.resolution.page(), nullptr);
    // Skip and Delete with nothing shown change nothing.
    rig.resolution.SkipButtonClick();
    rig.resolution.DeleteButtonClick();
    EXPECT_EQ(rig.statusViews, 2);
    EXPECT_TRUE(rig.log().filter(QStringLiteral("Deleted")).isEmpty());
}

TEST(ProblemResolution, ProblemPagesOfABatchAreShownInTurnAndFiledSkippedOrDeleted) {
    ProblemRig rig;
    std::vector<PageSketch> pages;
    pages.push_back(
        PageSketch(200).symbol(QStringLiteral("CODE39"), "123", 30, 15).symbol(Codabar, "B456B", 30, 35).text(60, 250));
    pages.push_back(PageSketch(200));
    pages.push_back(FormWithCodabar("A78787878A", 200, 3).turned(180));
    ASSERT_EQ(rig.writeBatch(pages), QString());
    rig.run();
    ASSERT_EQ(rig.problems().size(), 6) << Joined(rig.problems());
    const QStringList problems = rig.problems().filter(QStringLiteral(".tif"));
    ASSERT_EQ(problems.size(), 3);
    const QString twoBarcodes = problems[0], blank = problems[1], upsideDown = problems[2];

    rig.resolution.FixProbsButtonClick();

    EXPECT_EQ(rig.problemViews, 1);
    EXPECT_EQ(rig.resolution.currentFile(), twoBarcodes);
    EXPECT_EQ(Joined(rig.resolution.ProblemFiles), Joined({twoBarcodes, blank, upsideDown}));
    EXPECT_EQ(Joined(rig.resolution.newbarcodeItems), "*All|123|456");
    EXPECT_EQ(rig.resolution.newbarcodeText, QString());
    EXPECT_EQ(rig.resolution.ProblemTypeLabel.toStdString(), "2 barcodes found");
    EXPECT_EQ(rig.resolution.ProblemDepth, 1);
    ASSERT_NE(rig.resolution.page(), nullptr);
    EXPECT_EQ(rig.resolution.page()->height(), 2338); // as decoding stored it: less its last row

    // Skipping walks the list and past its end starts again at the first.
    rig.resolution.SkipButtonClick();
    EXPECT_EQ(rig.resolution.currentFile(), blank);
    EXPECT_TRUE(rig.resolution.newbarcodeItems.isEmpty());
    EXPECT_EQ(rig.resolution.ProblemTypeLabel.toStdString(), "No acceptable barcodes found.");
    rig.resolution.SkipButtonClick();
    EXPECT_EQ(rig.resolution.currentFile(), upsideDown);
    EXPECT_TRUE(rig.resolution.newbarcodeItems.isEmpty());
    EXPECT_TRUE(rig.resolution.ProblemTypeLabel.endsWith(QStringLiteral("Image Inverted.")))
        << rig.resolution.ProblemTypeLabel.toStdString();
    rig.resolution.SkipButtonClick();
    EXPECT_EQ(rig.resolution.currentFile(), twoBarcodes);
    EXPECT_EQ(rig.resolution.ProblemIndex, 0);
    EXPECT_EQ(rig.problemViews, 4);

    // "*all" files the page under both numbers and removes the problem.
    rig.accept(QStringLiteral("*all"));
    QStringList decoded = rig.decoded();
    ASSERT_EQ(decoded.size(), 2) << Joined(decoded);
    const QString for123 = OnlyMatch(decoded, "^123~HISTS2x[0-9A-F]{5}\\.tif$");
    const QString for456 = OnlyMatch(decoded, "^456~HISTS2x[0-9A-F]{5}\\.tif$");
    ASSERT_FALSE(for123.isEmpty()) << Joined(decoded);
    ASSERT_FALSE(for456.isEmpty()) << Joined(decoded);
    EXPECT_FALSE(QFileInfo::exists(rig.problemsDir + twoBarcodes));
    EXPECT_FALSE(QFileInfo::exists(rig.problemsDir + QString(twoBarcodes).replace(".tif", ".scn")));
    const SavedPage filed = InspectPage(rig.decodedDir + for123, rig.codec);
    EXPECT_EQ(filed.compression.toStdString(), "FAXCCITT4");
    EXPECT_EQ(filed.barcodes.toStdString(), "123:B456B:");
    EXPECT_EQ(filed.height, 2338);
    EXPECT_EQ(test::ReadFileBytes(rig.decodedDir + for123), test::ReadFileBytes(rig.decodedDir + for456));

    // The next problem in the list is shown at once, with an empty name box.
    EXPECT_EQ(rig.resolution.currentFile(), blank);
    EXPECT_EQ(rig.resolution.newbarcodeText, QString());

    // "*all" without candidates files nothing and keeps the page.
    rig.accept(QStringLiteral("*all"));
    EXPECT_EQ(rig.decoded().size(), 2);
    EXPECT_EQ(rig.resolution.currentFile(), blank);
    EXPECT_TRUE(QFileInfo::exists(rig.problemsDir + blank));

    // A name that is not a number is ignored; forced with "!" it is filed as typed.
    rig.accept(QStringLiteral("12AB"));
    EXPECT_EQ(rig.decoded().size(), 2);
    EXPECT_EQ(rig.resolution.currentFile(), blank);
    rig.accept(QStringLiteral("!12AB"));
    decoded = rig.decoded();
    EXPECT_EQ(decoded.size(), 3);
    EXPECT_FALSE(OnlyMatch(decoded, "^12AB~HISTS2z[0-9A-F]{5}\\.tif$").isEmpty()) << Joined(decoded);
    EXPECT_FALSE(QFileInfo::exists(rig.problemsDir + blank));

    // Deleting the last problem logs it and returns to the status view.
    EXPECT_EQ(rig.resolution.currentFile(), upsideDown);
    const qsizetype logged = rig.log().size();
    rig.resolution.DeleteButtonClick();
    EXPECT_EQ(rig.logFrom(logged).value(0).toStdString(), ("Deleted " + rig.problemsDir + upsideDown).toStdString());
    EXPECT_TRUE(rig.problems().isEmpty()) << Joined(rig.problems());
    EXPECT_EQ(rig.statusViews, 1);
    EXPECT_TRUE(rig.resolution.ProblemFiles.isEmpty());
    EXPECT_TRUE(rig.resolution.currentFile().isEmpty());
    EXPECT_TRUE(rig.resolution.newbarcodeItems.isEmpty());
    EXPECT_TRUE(rig.resolution.ProblemTypeLabel.isEmpty());
    EXPECT_EQ(rig.decoded().size(), 3);
}

// The problem list holds the image files of the problems directory, whatever the letter case of
// their extensions, and nothing else.
TEST(ProblemResolution, TheProblemListHoldsOnlyImageFiles) {
    ProblemRig rig;
    const auto page = FormWithCodabar("A12341234A").image(rig.codec);
    ASSERT_TRUE(page);
    ASSERT_TRUE(page->saveAs(rig.problemsDir + "a.BMP", ImageFileFormat::Bmp));
    ASSERT_TRUE(page->saveAs(rig.problemsDir + "b.jpg", ImageFileFormat::Jpeg));
    ASSERT_TRUE(page->saveAs(rig.problemsDir + "c.png", ImageFileFormat::Png));
    ASSERT_TRUE(page->saveTiff(rig.problemsDir + "d.TIF", TiffCompression::CcittG4, TiffSaveMode::Replace));
    ASSERT_TRUE(page->saveTiff(rig.problemsDir + "e.tiff", TiffCompression::CcittG4, TiffSaveMode::Replace));
    ASSERT_TRUE(page->saveAs(rig.problemsDir + "f.pcx", ImageFileFormat::Png));
    ASSERT_TRUE(QDir().mkpath(rig.problemsDir + "g.tif"));
    for (const char* name : {"a.scn", "d.scn", "x.txt"}) ASSERT_TRUE(test::WriteFile(rig.problemsDir + name, {}));

    rig.resolution.FixProbsButtonClick();

    EXPECT_EQ(Joined(rig.resolution.ProblemFiles), "a.BMP|b.jpg|c.png|d.TIF");
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rig.resolution.currentFile(), rig.resolution.ProblemFiles[i]);
        ASSERT_NE(rig.resolution.page(), nullptr);
        EXPECT_EQ(rig.resolution.ProblemDepth, i == 3 ? 1 : 4);
        EXPECT_EQ(rig.resolution.ProblemTypeLabel.toStdString(), "Unspecified Problem.");
        rig.resolution.SkipButtonClick();
    }
    EXPECT_EQ(rig.problemViews, 5);
    EXPECT_TRUE(rig.log().isEmpty()) << Joined(rig.log());
}

} // namespace
