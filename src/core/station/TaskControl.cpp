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
    if (station.task().StoreFileTimerEnabled()) {
        station.LogEvent(QStringLiteral("Convert task already running."));
    } else {
        station.LogEvent(QStringLiteral("Convert task was halted.  Now running."));
        station.task().setStoreFileTimerEnabled(true);
    }
    station.LogEvent(QStringLiteral("Fax converter already running."));
    station.RefreshStatus();
}

void AutoProcess1Click(Station& station) {
    station.task().setAutoProcess1(!station.task().AutoProcess1());
}

} // namespace kestrova
