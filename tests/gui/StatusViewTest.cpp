#include "core/station/StatusMonitor.h"
#include "core/station/TaskControl.h"
#include "gui/forms/TMainForm.h"
#include "gui/widgets/ClickableLabel.h"
#include "support/FakeVolumes.h"
#include "support/TempStation.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

QColor TextColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

// The main window over a station whose slots are real directories, on fake drives.
struct StatusView {
    TempStation t;
    Station& station = t.station;
    FakeVolumes volumes;
    StatusMonitor monitor{station, volumes};
    TMainForm form{station};

    StatusView() {
        const QStringList names = {"", "scan", "problems", "decoded", "remote", "store", "local", "backup"};
        for (int slot = 1; slot < names.size(); ++slot) {
            QDir().mkpath(t.path(names[slot]));
            station.editSetup().SetupInfo.Directories[slot] = t.path(names[slot]) + "/";
        }
        station.editSetup().SetupInfo.StationMode = ModeSingle;
        station.ui.ServerGroupVisible = true;
        monitor.install();
    }
    void touch(const QString& name) { QFile(t.path(name)).open(QIODevice::WriteOnly); }
};

} // namespace

TEST(StatusView, TheWindowShowsWhatTheMonitorComputed) {
    StatusView v;
    v.volumes.setDrive(v.t.path("scan/"), 250);
    v.volumes.setDrive(v.t.path("store/"), 900);
    v.volumes.setDrive(v.t.path("backup/"), 299, "CD0001");
    for (const char* name : {"scan/a.bmp", "scan/b.bmp", "problems/x.tif", "decoded/1~REQS100001.tif"}) v.touch(name);

    v.station.RefreshStatus();
    TMainForm& f = v.form;
    EXPECT_EQ(f.ScannedWaitingLabel->text(), "2");
    EXPECT_EQ(f.DecodedWaitingLabel->text(), "1");
    EXPECT_EQ(f.ProblemGrpLabel->text(), "1");
    EXPECT_EQ(TextColour(f.ProblemGrpLabel), QColor(Qt::red));
    EXPECT_EQ(f.KestrovaBar->value(), 750);
    EXPECT_EQ(f.ImagesBar->value(), 100);
    EXPECT_FALSE(f.ImagesBar->isHidden());
    EXPECT_TRUE(f.ImagesDrivelabel->isHidden());
    EXPECT_EQ(f.CDWriterBar->value(), 701);
    EXPECT_EQ(f.KestrovaBar->toolTip(), "25 % free, 0.0 GB");
    EXPECT_EQ(f.ImagesDrvGrp->toolTip(), "90 % free, 0.0 GB");
    EXPECT_EQ(DriveSpaceText(12'345'678, 50'000'000), "25 % free, 123.5 GB");
    EXPECT_EQ(f.CDWriterGrp->title(), "Disc Media - CD0001");
    EXPECT_TRUE(f.LogList->item(0)->text().endsWith("+WARNING!! Media needs changing!"));

    QFile::remove(v.t.path("problems/x.tif"));
    v.station.RefreshStatus();
    EXPECT_EQ(f.ProblemGrpLabel->text(), "0");
    EXPECT_EQ(TextColour(f.ProblemGrpLabel), QApplication::palette().color(QPalette::WindowText));

    // The decoded directory is taken away: its counter says so and the log names it.
    QDir(v.t.path("decoded")).removeRecursively();
    v.station.RefreshStatus();
    EXPECT_EQ(f.DecodedWaitingLabel->text(), "MISSING");
    EXPECT_EQ(TextColour(f.DecodedWaitingLabel), QColor(Qt::red));
    EXPECT_EQ(f.DecodedWaitingLabel->toolTip(), "The decoded directory " + v.t.path("decoded/") + " is missing.");
    EXPECT_EQ(f.LogList->findItems("Directory missing: the decoded directory", Qt::MatchContains).size(), 1);
}

TEST(StatusView, DeviceLabelsReplaceTheBars) {
    StatusView v;
    v.station.editSetup().SetupInfo.StationMode = ModeRemote;
    v.station.editSetup().SetupInfo.Directories[SlotImageStore] = DriveDisabled;
    QDir(v.t.path("backup")).removeRecursively(); // the scan server is unreachable
    v.station.RefreshStatus();
    TMainForm& f = v.form;
    EXPECT_TRUE(f.ImagesBar->isHidden());
    EXPECT_FALSE(f.ImagesDrivelabel->isHidden());
    EXPECT_EQ(f.ImagesDrivelabel->text(), "Feature Disabled");
    EXPECT_EQ(f.CDWriterGrp->title(), "Remote Scan Server");
    EXPECT_TRUE(f.CDWriterBar->isHidden());
    EXPECT_FALSE(f.Cdwriterlabel->isHidden());
    EXPECT_EQ(f.Cdwriterlabel->text(), "DISCONNECTED");
    EXPECT_EQ(TextColour(f.Cdwriterlabel), QColor(Qt::red));
}

TEST(StatusView, MenuItemsDriveTheTaskSwitches) {
    StatusView v;
    v.volumes.setDrive(v.t.path("backup/"), 600, QString()); // an unnamed disc
    TMainForm& f = v.form;
    EXPECT_EQ(f.Timer1->interval(), 20000);

    v.t.prompter.expectMessage("Disc Name Missing");
    // One tick of the window's own timer.
    f.Timer1->setSingleShot(true);
    f.Timer1->start(0);
    for (int i = 0; i < 100 && f.Timer1->isActive(); ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_FALSE(f.Timer1->isActive());
    EXPECT_TRUE(v.t.prompter.allAnswered());
    EXPECT_FALSE(f.AutoProcess1->isChecked());
    EXPECT_EQ(f.AutoProcess1->text(), "Me&dia Process OFF");
    EXPECT_EQ(f.CDWriterGrp->title(), "Disc Media - UNKNOWN");

    v.volumes.setDrive(v.t.path("backup/"), 600, "CD0002");
    f.AutoProcess1->trigger();
    EXPECT_TRUE(f.AutoProcess1->isChecked());
    EXPECT_EQ(f.AutoProcess1->text(), "Me&dia Process ON");

    v.station.task().setStoreFileTimerEnabled(false);
    f.ResetTasks1->trigger();
    EXPECT_TRUE(v.station.task().StoreFileTimerEnabled());
    EXPECT_TRUE(f.LogList->item(0)->text().endsWith("+Fax converter already running."));
    EXPECT_TRUE(f.LogList->item(1)->text().endsWith("+Convert task was halted.  Now running."));
    EXPECT_EQ(f.CDWriterGrp->title(), "Disc Media - CD0002");
}
