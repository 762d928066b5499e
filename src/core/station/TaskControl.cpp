#include "core/station/TaskControl.h"
#include "core/station/Station.h"

namespace kestrova {

void Timer1Timer(Station& station) {
    // Two refreshes with the cursor put back between them. The first can show a message box (a
    // disc or database error, a disc without a name); while it is open the message loop runs, a
    // store tick may move files and a handler may change the cursor. The second refresh shows the
    // counters as they are once the box is closed, instead of leaving them stale for a whole tick.
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
    // There is no fax converter here; the line stays because operators and their instructions
    // read "Reset Tasks" by the two lines it logs.
    station.LogEvent(QStringLiteral("Fax converter already running."));
    // The refresh also applies the timer switch above: it tells the windows and the store cycle
    // that the station changed, which starts the store timer.
    station.RefreshStatus();
}

void AutoProcess1Click(Station& station) {
    station.task().setAutoProcess1(!station.task().AutoProcess1());
}

} // namespace kestrova
