#include "ProblemWindow.h"

#include "core/scan/ProblemResolution.h"
#include "gui/widgets/ClickableLabel.h"
#include "gui/widgets/DocumentImageView.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::guitest;
using Tool = DocumentImageToolbar;

namespace {

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

} // namespace

TEST(ProblemView, ShowsThePageItsCandidatesAndTheProblemControlsInPlaceOfTheStatus) {
    ProblemWindow w;
    w.writeProblem(QStringLiteral("20261209101500"), {QStringLiteral("123:456:")});
    TMainForm& f = *w.form;
    w.s.station.task().setStoreFileTimerEnabled(true);

    ReleaseMouse(f.ProblemGrpLabel, Qt::LeftButton);

    EXPECT_FALSE(w.s.station.task().StoreFileTimerEnabled());
    EXPECT_EQ(f.CurrentScannerBox->title(), "Problem Image");
    for (QWidget* hidden : {static_cast<QWidget*>(f.LogList), static_cast<QWidget*>(f.ScannerDocLabel),
                            static_cast<QWidget*>(f.StatusGroupBox), f.ButtonPanel,
                            static_cast<QWidget*>(f.DrvStatPanel), static_cast<QWidget*>(f.LogViewSplitter->handle(1))})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_TRUE(f.FixPanel->isVisible());
    EXPECT_TRUE(f.DecodeDocToolBar->isVisible());
    for (const Tool::Button b : {Tool::Magnify, Tool::ZoomIn, Tool::ZoomOut, Tool::ResetZoom, Tool::BestFit,
                                 Tool::Rotate90, Tool::Rotate180, Tool::Deskew, Tool::RemoveBorder})
        EXPECT_TRUE(f.DecodeDocToolBar->action(b)->isVisible()) << b;
    EXPECT_FALSE(f.DecodeDocToolBar->action(Tool::NextPage)->isVisible());
    EXPECT_TRUE(f.DecodeDocToolBar->action(Tool::Deskew)->isEnabled());
    EXPECT_TRUE(f.DecodeDocToolBar->action(Tool::RemoveBorder)->isEnabled());

    EXPECT_EQ(Items(f.newbarcode), QStringList({"*All", "123", "456"}));
    EXPECT_EQ(f.newbarcode->currentText(), "");
    EXPECT_EQ(f.ProblemTypeLabel->text(), "No acceptable barcodes found.");

    QCoreApplication::processEvents();
    if (const QByteArray shot = qgetenv("KESTROVA_PROBLEM_VIEW_PNG"); !shot.isEmpty())
        f.grab().save(QString::fromLocal8Bit(shot));

    // The page fills its group, fitted to its height; the mouse zooms by the station's steps.
    DocumentImageView* doc = f.DecodeImageDoc;
    EXPECT_GT(doc->width(), f.CurrentScannerBox->width() - 20);
    EXPECT_EQ(doc->image().size(), QSize(827, 1169));
    EXPECT_EQ(doc->scalePercent(), doc->heightFitPercent());
    const int fitted = doc->scalePercent();
    ReleaseMouse(doc->viewport(), Qt::RightButton);
    EXPECT_EQ(doc->scalePercent(), fitted + 10);
    ReleaseMouse(doc->viewport(), Qt::LeftButton);
    ReleaseMouse(doc->viewport(), Qt::LeftButton);
    EXPECT_EQ(doc->scalePercent(), fitted - 10);
    ReleaseMouse(doc->viewport(), Qt::MiddleButton);
    EXPECT_EQ(doc->scalePercent(), fitted);
    f.DecodeDocToolBar->action(Tool::ResetZoom)->trigger();
    const int widthFit = doc->widthFitPercent();
    EXPECT_EQ(doc->scalePercent(), widthFit);
    f.DecodeDocToolBar->action(Tool::Magnify)->trigger();
    EXPECT_EQ(doc->scalePercent(), 2 * widthFit);
    f.DecodeDocToolBar->action(Tool::Magnify)->trigger();
    EXPECT_EQ(doc->scalePercent(), widthFit);

    // A quarter turn turns the page that will be filed.
    f.DecodeDocToolBar->action(Tool::Rotate90)->trigger();
    EXPECT_EQ(w.problems.page()->width(), 1169);
    EXPECT_EQ(doc->image().size(), QSize(1169, 827));
    // Deskew and border removal leave this straight page without a border as it is.
    const int logged = f.LogList->count();
    f.DecodeDocToolBar->action(Tool::Deskew)->trigger();
    f.DecodeDocToolBar->action(Tool::RemoveBorder)->trigger();
    EXPECT_EQ(w.problems.page()->width(), 1169);
    EXPECT_EQ(doc->image().size(), QSize(1169, 827));
    EXPECT_EQ(f.LogList->count(), logged);

    f.Exitbutton->click();
    EXPECT_EQ(f.CurrentScannerBox->title(), "Last Scan Batch");
    EXPECT_FALSE(f.FixPanel->isVisible());
    EXPECT_FALSE(f.DecodeDocToolBar->isVisible());
    EXPECT_TRUE(f.StatusGroupBox->isVisible());
    EXPECT_TRUE(w.s.station.task().StoreFileTimerEnabled());
    EXPECT_EQ(w.problemFiles().size(), 2);
}

TEST(ProblemView, AcceptFilesEachPageAndTheLastOneReturnsToTheStatusView) {
    ProblemWindow w;
    w.writeProblem(QStringLiteral("20261209101500"), {QStringLiteral("123:")});
    w.writeProblem(QStringLiteral("20261209101501"), {}, QString());
    TMainForm& f = *w.form;

    f.FixProbsButton->click();
    EXPECT_EQ(f.newbarcode->currentText(), "123"); // a single candidate stands ready
    f.AcceptBarcodeButton->click();
    ASSERT_EQ(w.decodedFiles().size(), 1);
    EXPECT_TRUE(w.decodedFiles()[0].startsWith("123S1z")) << w.decodedFiles()[0].toStdString();
    EXPECT_TRUE(f.FixPanel->isVisible());
    EXPECT_EQ(f.ProblemTypeLabel->text(), "Unspecified Problem.");
    EXPECT_EQ(f.newbarcode->count(), 0);

    // A name that is not a number is ignored; forced with "!" and Enter, it is filed.
    f.newbarcode->setEditText(QStringLiteral("AB12"));
    f.AcceptBarcodeButton->click();
    EXPECT_EQ(w.decodedFiles().size(), 1);
    EXPECT_EQ(w.problemFiles().size(), 2);
    f.newbarcode->setEditText(QStringLiteral("!AB12"));
    PressEnter(f.newbarcode->lineEdit());
    EXPECT_EQ(w.decodedFiles().size(), 2);
    EXPECT_TRUE(w.problemFiles().isEmpty());
    EXPECT_FALSE(f.FixPanel->isVisible());
    EXPECT_EQ(f.CurrentScannerBox->title(), "Last Scan Batch");
}
