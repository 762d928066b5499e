// The batch image while a batch is decoded and after a restart, and how pages are drawn small.
#include "ProblemWindow.h"

#include "core/config/SetupInfo.h"
#include "core/scan/DecodeImages.h"
#include "core/scan/ScanControl.h"
#include "core/station/Station.h"
#include "gui/widgets/DocumentImageView.h"
#include "support/FakeScanner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::guitest;

TEST(BatchProgress, AHundredPageBatchShowsItsFirstPageAndProgressAndItsSummaryAfterARestart) {
    ProblemWindow w;
    Station& station = w.s.station;
    station.editSetup().SetupInfo.DocDefs = {
        docdefinition{QStringLiteral("Request"), QStringLiteral("~REQ"), 297, 100, {}}};
    w.writeImageSet(100);
    TMainForm& f = *w.form;
    test::FakeScanner scanner;
    ScanControl control(station, scanner, w.codec);
    f.setScanControl(&control);
    f.DecodeImageDoc->setImage(QImage());

    QStringList progress;
    int shownPages = -1, loggedAtStart = 0, loggedAtHalf = 0;
    QObject::connect(&station, &Station::stateChanged, &f, [&] {
        if (!f.DecodeProgressLabel->isVisible()) return;
        if (progress.isEmpty()) {
            shownPages = f.DecodeImageDoc->pageCount();
            loggedAtStart = f.LogList->count();
        }
        if (!progress.contains(f.DecodeProgressLabel->text())) progress << f.DecodeProgressLabel->text();
        if (progress.size() == 50) loggedAtHalf = f.LogList->count();
        EXPECT_EQ(f.DecodeProgressBar->maximum(), 100);
        EXPECT_EQ(f.DecodeProgressBar->value(), progress.size());
    });
    control.SystemLabelClick();

    // The first page stood in the batch image before the first page was decoded; the log grew as
    // the pages went by.
    EXPECT_EQ(shownPages, 100);
    ASSERT_EQ(progress.size(), 100);
    EXPECT_EQ(progress.first(), "Decoding page 1 of 100");
    EXPECT_EQ(progress.last(), "Decoding page 100 of 100");
    EXPECT_GE(loggedAtHalf - loggedAtStart, 40);
    EXPECT_FALSE(f.DecodeProgressBar->isVisible());
    const QString summary = f.ScannerDocLabel->text();
    EXPECT_TRUE(summary.startsWith("Scan Size   :")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Total Pages :100")) << summary.toStdString();

    // After a restart: the same page and summary.
    station.ui = MainWindowState{};
    const QString imageSet = ImageSetFile(station.setup().SetupInfo.Directories[SlotScan]);
    LoadLastBatchSummary(station, imageSet);
    TMainForm again(station);
    again.resize(1000, 700);
    again.show();
    again.ShowStatusView();
    EXPECT_EQ(again.ScannerDocLabel->text(), summary);
    EXPECT_EQ(again.DecodeImageDoc->pageCount(), 100);
    // A newer image set is another batch: its summary is not the old one.
    station.ui = MainWindowState{};
    QFile::remove(imageSet);
    w.writeImageSet(1);
    QFile set(imageSet);
    ASSERT_TRUE(set.open(QIODevice::ReadWrite));
    ASSERT_TRUE(set.setFileTime(QFileInfo(BatchSummaryFile(imageSet)).lastModified().addSecs(5),
                                QFileDevice::FileModificationTime));
    LoadLastBatchSummary(station, imageSet);
    EXPECT_EQ(station.ui.ScannerDocLabel, "");
}

TEST(BatchProgress, ThinLinesOfAOneBitPageShownSmallBecomeGreyInsteadOfVanishing) {
    QImage page(400, 400, QImage::Format_Mono);
    page.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    page.fill(1);
    for (int x = 1; x < 400; x += 8)
        for (int y = 0; y < 400; ++y) page.setPixel(x, y, 0);
    DocumentImageView view;
    view.setImage(page);
    view.setScalePercent(25);
    const QImage shown = view.shownImage().convertToFormat(QImage::Format_Grayscale8);
    ASSERT_EQ(shown.size(), QSize(100, 100));
    int darkest = 255, greys = 0;
    for (int x = 0; x < shown.width(); ++x) {
        const int v = qGray(shown.pixel(x, 50));
        darkest = std::min(darkest, v);
        if (v > 0 && v < 255) ++greys;
    }
    EXPECT_LT(darkest, 230); // every line is still there
    EXPECT_GE(greys, 40);    // as grey, one in every two columns
}
