#include "ProblemWindow.h"

#include "gui/forms/TBarcodeListDlg.h"
#include "gui/widgets/DocumentImageView.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::guitest;
using Tool = DocumentImageToolbar;

namespace {

QStringList Rows(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
    return rows;
}

} // namespace

TEST(BarcodeListDlg, EditsTheCandidatesAndOkPutsThemInTheNameBox) {
    ProblemWindow w;
    w.writeProblem(QStringLiteral("20261209101500"), {QStringLiteral("456:123:")});
    TMainForm& f = *w.form;
    f.FixProbsButton->click();
    ASSERT_TRUE(f.FixPanel->isVisible());

    QStringList shownOnOpen;
    QString caption;
    QTimer::singleShot(0, &f, [&] {
        TBarcodeListDlg* d = f.barcodeListDlg();
        caption = d->windowTitle();
        shownOnOpen = Rows(d->BCodeList);
        w.s.prompter.expectMessage(QStringLiteral("Add Barcode - Error"));
        d->BCodeEdit->setText(QStringLiteral("12"));
        d->AddButton->click(); // shorter than DigitsFrom
        d->BCodeEdit->setText(QStringLiteral("AB/1"));
        PressEnter(d->BCodeEdit);
        EXPECT_EQ(d->BCodeEdit->text(), "!AB1");
        EXPECT_EQ(d->BCodeList->currentItem()->text(), "!AB1");
        d->BCodeList->setCurrentRow(1); // "123"
        d->RemoveButton->click();
        EXPECT_EQ(d->BCodeList->currentRow(), 1);
        d->OKBtn->click();
    });
    f.EditListButton->click();

    EXPECT_TRUE(w.s.prompter.allAnswered());
    EXPECT_EQ(caption, "Barcodes");
    EXPECT_EQ(shownOnOpen, QStringList({"123", "456"}));
    EXPECT_EQ(w.problems.newbarcodeItems, QStringList({"*All", "!AB1", "456"}));
    QStringList items;
    for (int i = 0; i < f.newbarcode->count(); ++i) items << f.newbarcode->itemText(i);
    EXPECT_EQ(items, QStringList({"*All", "!AB1", "456"}));
    EXPECT_EQ(f.newbarcode->currentText(), "*All");
    EXPECT_EQ(f.ProblemTypeLabel->text(), "2 barcodes listed.");

    // "Cancel" leaves the name box as it was.
    QTimer::singleShot(0, &f, [&] {
        TBarcodeListDlg* d = f.barcodeListDlg();
        d->BCodeEdit->setText(QStringLiteral("789"));
        d->AddButton->click();
        d->CancelBtn->click();
    });
    f.EditListButton->click();
    EXPECT_EQ(f.newbarcode->count(), 3);
}

TEST(ReviewLastBatch, TogglesItsCaptionAndTurnsThePagesOfTheImageSet) {
    ProblemWindow w;
    TMainForm& f = *w.form;

    // Nothing scanned yet: there is no width to fit to.
    w.s.prompter.expectMessage(QString());
    f.ReviewLastBatch1->trigger();
    ASSERT_TRUE(w.s.prompter.allAnswered());
    EXPECT_TRUE(w.s.prompter.shown().back().text.startsWith("Error setting Scale Percent "));
    EXPECT_TRUE(w.s.prompter.shown().back().text.endsWith("/0"));
    EXPECT_EQ(f.ReviewLastBatch1->text(), "Cancel &Review");
    f.ReviewLastBatch1->trigger();
    EXPECT_EQ(f.ReviewLastBatch1->text(), "&Review Last Batch");

    w.writeImageSet(3);
    f.ShowStatusView();
    DocumentImageView* doc = f.DecodeImageDoc;
    ASSERT_EQ(doc->pageCount(), 3);
    EXPECT_EQ(f.ReviewLastBatch1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));

    // A left click on the batch image opens the review.
    ReleaseMouse(doc->viewport(), Qt::LeftButton);
    EXPECT_EQ(f.ReviewLastBatch1->text(), "Cancel &Review");
    EXPECT_TRUE(f.DecodeDocToolBar->isVisible());
    EXPECT_TRUE(f.DecodeDocToolBar->action(Tool::LastPage)->isVisible());
    EXPECT_FALSE(f.DecodeDocToolBar->action(Tool::BestFit)->isVisible());
    EXPECT_EQ(doc->scalePercent(), doc->widthFitPercent());
    f.DecodeDocToolBar->action(Tool::LastPage)->trigger();
    EXPECT_EQ(doc->currentPage(), 2);
    f.DecodeDocToolBar->action(Tool::PriorPage)->trigger();
    EXPECT_EQ(doc->currentPage(), 1);
    f.DecodeDocToolBar->action(Tool::FirstPage)->trigger();
    EXPECT_EQ(doc->currentPage(), 0);

    f.ReviewLastBatch1->trigger();
    EXPECT_EQ(f.ReviewLastBatch1->text(), "&Review Last Batch");
    EXPECT_FALSE(f.DecodeDocToolBar->isVisible());

    f.DecodeProblems1->trigger();
    EXPECT_EQ(f.DecodeProblems1->text(), "&Decode Problems OFF");
    EXPECT_FALSE(f.DecodeProblems1->isChecked());
    EXPECT_EQ(DecodeProblems1Caption(w.s.station.task()), "&Decode Problems OFF");
    f.DecodeProblems1->trigger();
    EXPECT_EQ(f.DecodeProblems1->text(), "&Decode Problems ON");
}
