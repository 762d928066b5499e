#include "core/station/TaskControl.h"
#include "core/station/Station.h"

namespace kestrova {

void Timer1Timer(Station& station) {
    station.RefreshStatus();
    const int cursor = station.ScreenCursorNumber;
    station.SetScreenCursor(cursor);
    station.RefreshStatus();
}

void ResetTasks1Click(Station& station) {
    if (station.StoreFileTimerEnabled) {
        station.LogEvent(QStringLiteral("Convert task already running."));
    } else {
        station.LogEvent(QStringLiteral("Convert task was halted.  Now running."));
        station.StoreFileTimerEnabled = true;
    }
    station.LogEvent(QStringLiteral("Fax converter already running."));
    station.RefreshStatus();
}

void AutoProcess1Click(Station& station) {
    MainWindowState& ui = station.ui;
    ui.AutoProcess1Checked = !ui.AutoProcess1Checked;
    ui.AutoProcess1Caption =
        ui.AutoProcess1Checked ? QStringLiteral("Me&dia Process ON") : QStringLiteral("Me&dia Process OFF");
    station.notify();
}

} // namespace kestrova
