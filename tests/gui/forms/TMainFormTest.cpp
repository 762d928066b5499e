#include "gui/forms/TMainForm.h"
#include "core/station/ScreenCursors.h"
#include "gui/widgets/BusyCursors.h"
#include "gui/widgets/ClickableLabel.h"
#include "support/TempStation.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

QAction* menuAction(TMainForm& form, const QString& name) {
    return form.findChild<QAction*>(name);
}

} // namespace

TEST(TMainForm, LaysOutEveryRegionWithItsNamesCaptionsAndHints) {
    test::TempStation s;
    TMainForm form(s.station);
    // 510 x 450 at least; wider or higher where the views' captions and toolbar need it.
    EXPECT_GE(form.minimumWidth(), 510);
    EXPECT_GE(form.minimumHeight(), 450);
    EXPECT_EQ(form.windowTitle(), "KestrovaNT ");
    EXPECT_EQ(form.TopPanel->height(), 113);

    const QStringList names = {"TopPanel",
                               "ButtonPanel",
                               "Scanbutton",
                               "FixProbsButton",
                               "ScanMoreButton",
                               "DrvStatPanel",
                               "lblBarcodeProfile",
                               "SignIcon",
                               "ImagesDrvGrp",
                               "ImagesBar",
                               "ImagesDrivelabel",
                               "KestrovaDrvGrp",
                               "KestrovaBar",
                               "CDWriterGrp",
                               "CDWriterBar",
                               "Cdwriterlabel",
                               "FixPanel",
                               "DeleteButton",
                               "SkipButton",
                               "Exitbutton",
                               "BCodeBox",
                               "newbarcode",
                               "ProblemTypeLabel",
                               "ProgressPanel",
                               "DecodeDocToolBar",
                               "CurrentScannerBox",
                               "DecodeImageDoc",
                               "ScannerDocLabel",
                               "StatusGroupBox",
                               "ScannedWaitingLabel",
                               "DecodedWaitingLabel",
                               "CDGroupLabel",
                               "ProblemGrpLabel",
                               "SystemLabel",
                               "ServerGroup",
                               "CDGrp",
                               "LogViewSplitter",
                               "LogList"};
    for (const QString& n : names) EXPECT_NE(form.findChild<QWidget*>(n), nullptr) << n.toStdString();

    EXPECT_EQ(form.Scanbutton->toolTip(), "Click this button when you want to change the settings before scanning.");
    EXPECT_EQ(form.ScanMoreButton->toolTip(), "Click this button when you want to scan using the current settings.");
    EXPECT_EQ(form.ImagesDrvGrp->title(), "Images Drive");
    EXPECT_EQ(form.KestrovaDrvGrp->title(), "Kestrova Drive");
    EXPECT_EQ(form.CDWriterGrp->title(), "Disc Media");
    EXPECT_EQ(form.BCodeBox->title(), "Specify Image Name");
    EXPECT_EQ(form.CurrentScannerBox->title(), "Last Scan Batch");
    EXPECT_EQ(form.StatusGroupBox->title(), "Image Progress");
    const QStringList counters = {"Images Scanned ", "Images Decoded", "Awaiting BackUp", "Problems",
                                  "Awaiting Lab IS"};
    QStringList shown;
    for (QGroupBox* g : form.StatusGroupBox->findChildren<QGroupBox*>()) shown << g->title();
    EXPECT_EQ(shown, counters);
    EXPECT_FALSE(form.FixPanel->isVisibleTo(&form));
    EXPECT_FALSE(form.DecodeDocToolBar->isVisibleTo(&form));
    EXPECT_FALSE(form.SignIcon->isVisibleTo(&form));
    EXPECT_EQ(form.lblBarcodeProfile->text(), "System is using default barcode type");
    EXPECT_EQ(s.station.task().ImageSetDepth(), 4);
}

TEST(TMainForm, MenusCarryTheirCaptionsShortcutsAndTicks) {
    test::TempStation s;
    TMainForm form(s.station);
    struct Item {
        const char* name;
        const char* caption;
        const char* shortcut;
        bool checkable;
        bool checked;
    };
    const Item items[] = {
        {"ADMIN1", "&Administrator ", "", false, false},
        {"ResetTasks1", "&Reset Tasks", "", false, false},
        {"TWAIN2", "Set Interface", "", false, false},
        {"SetPaper", "Set Size and Scan", "Ctrl+P", false, false},
        {"ReviewLastBatch1", "&Review Last Batch", "Ctrl+R", false, false},
        {"Default1", "(default)", "", true, true},
        {"AutoProcess1", "Me&dia Process ON", "", true, true},
        {"DecodeProblems1", "&Decode Problems ON", "", true, true},
        {"About1", "Abou&t", "", false, false},
    };
    for (const Item& it : items) {
        QAction* a = menuAction(form, it.name);
        ASSERT_NE(a, nullptr) << it.name;
        EXPECT_EQ(a->text(), it.caption) << it.name;
        EXPECT_EQ(a->shortcut().toString(), it.shortcut) << it.name;
        EXPECT_EQ(a->isCheckable(), it.checkable) << it.name;
        EXPECT_EQ(a->isChecked(), it.checked) << it.name;
    }
    EXPECT_EQ(form.Scanner1->title(), "&Scanner");
    EXPECT_EQ(form.itmBarcodes->title(), "Barcodes");
}

TEST(TMainForm, EventLogShowsTheStationLogNewestFirstAndTrims) {
    test::TempStation s;
    TMainForm form(s.station);
    ASSERT_EQ(form.LogList->count(), 1);
    EXPECT_TRUE(
        form.LogList->item(0)->text().endsWith("+This is the Event Log!  Watch this space for important messages."));
    for (int i = 0; i < 150; ++i) s.station.LogEvent(QString::number(i));
    EXPECT_EQ(form.LogList->count(), 101);
    EXPECT_EQ(form.LogList->count(), s.station.eventLog().lines().size());
    EXPECT_TRUE(form.LogList->item(0)->text().endsWith("+149"));
}

TEST(TMainForm, RendersStationStateAndCloseAsksRunningPassesToStop) {
    test::TempStation s;
    TMainForm form(s.station);
    s.station.ui.ServerGroupVisible = true;
    s.station.task().setAutoProcess1(false);
    s.station.ui.CDGroupLabel = "17";
    s.station.ui.CDGroupLabelColour = LabelColour::Aqua; // a certificate running out
    s.station.ui.Caption = "KestrovaNT - Remote Scanner S2";
    s.station.notify();
    EXPECT_EQ(form.CDGroupLabel->palette().color(QPalette::WindowText), QColor(Qt::cyan));
    EXPECT_TRUE(form.ServerGroup->isVisibleTo(&form));
    EXPECT_FALSE(form.AutoProcess1->isChecked());
    EXPECT_EQ(form.AutoProcess1->text(), "Me&dia Process OFF");
    EXPECT_EQ(form.CDGroupLabel->text(), "17");
    EXPECT_EQ(form.windowTitle(), "KestrovaNT - Remote Scanner S2");

    s.station.task().setStoreFileTimerEnabled(true);
    form.show();
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(s.station.task().ConvertStop());
    EXPECT_TRUE(s.station.task().BackupStop());
    EXPECT_FALSE(s.station.task().StoreFileTimerEnabled());
}

TEST(TMainForm, ShowStatusViewEnablesTheStoreTimerAndRefreshes) {
    test::TempStation s;
    TMainForm form(s.station);
    int refreshed = 0;
    s.station.setRefreshStatus([&] { ++refreshed; });
    form.FixPanel->show();
    form.ShowStatusView();
    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(s.station.task().StoreFileTimerEnabled());
    EXPECT_FALSE(form.FixPanel->isVisibleTo(&form));
    EXPECT_TRUE(form.DrvStatPanel->isVisibleTo(&form));
}

TEST(TMainForm, AboutBoxAndBackupHint) {
    test::TempStation s;
    TMainForm form(s.station);
    s.prompter.expectMessage("About Kestrova");
    form.About1Click();
    ASSERT_FALSE(s.prompter.shown().empty());
    EXPECT_TRUE(s.prompter.shown().back().text.startsWith("KestrovaNT "));
    EXPECT_EQ(s.prompter.shown().back().icon, MessageIcon::Information);

    form.CDGroupLabelClick(); // no hint: nothing shown
    EXPECT_EQ(s.prompter.shown().size(), 1u);
    s.station.ui.CDGroupLabelHint = "Certificate expires in 10 days";
    s.prompter.expectMessage("KestrovaNT");
    form.CDGroupLabelClick();
    EXPECT_EQ(s.prompter.shown().back().text, "Certificate expires in 10 days");
}

TEST(BusyCursors, RegistersTheNineCursorsAndFallsBackForUnknownNames) {
    BusyCursors cursors;
    cursors.registerStationCursors();
    for (int n = crBCodeB; n <= crMagGlass; ++n) {
        EXPECT_TRUE(cursors.isRegistered(n)) << n;
        EXPECT_EQ(cursors.cursor(n).shape(), Qt::BitmapCursor) << n;
    }
    EXPECT_FALSE(cursors.registerCursor(120, "NOSUCHCURSOR"));
    EXPECT_FALSE(cursors.isRegistered(120));
    EXPECT_EQ(cursors.cursor(120).shape(), Qt::ArrowCursor);
}

TEST(TMainForm, ScreenshotOfTheStatusView) {
    test::TempStation s;
    TMainForm form(s.station);
    s.station.ui.ServerGroupVisible = true;
    s.station.notify();
    form.resize(1024, 700);
    form.show();
    const QString out = QStringLiteral(KESTROVA_BIN_DIR "/../main-window.png");
    EXPECT_TRUE(form.grab().save(out));
}
