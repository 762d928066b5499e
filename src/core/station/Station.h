#pragma once

#include "barcode/QVCodabar.h"
#include "core/config/StationSetup.h"
#include "core/ports/Clock.h"
#include "core/ports/Prompter.h"
#include "core/ports/Smime.h"
#include "core/station/MainWindowState.h"
#include "core/station/TaskState.h"
#include "core/util/EventLog.h"

#include <QObject>
#include <QString>
#include <functional>

namespace kestrova {

class TImageDataModule;

// The station: everything a running workstation holds from start-up to exit. One per process in
// the programs; tests build as many as they like.
class Station : public QObject {
    Q_OBJECT
public:
    Station(Prompter& prompter, Clock& clock, QObject* parent = nullptr);

    Prompter& prompter() const { return m_prompter; }
    Clock& clock() const { return m_clock; }
    EventLog& eventLog() { return m_log; }
    const EventLog& eventLog() const { return m_log; }

    void LogEvent(const QString& message) { m_log.LogEvent(message); }

    // Lets the message loop run; long passes call it at fixed points.
    void processMessages() {
        if (m_pump) m_pump();
    }
    void setMessagePump(std::function<void()> pump) { m_pump = std::move(pump); }

    // Tells the windows that station state they show has changed.
    void notify() { emit stateChanged(); }

    // Switches the screen cursor to a busy cursor number (ScreenCursors.h); 0 is the default.
    void SetScreenCursor(int number) {
        ScreenCursorNumber = number;
        if (m_cursorHook) m_cursorHook(number);
    }
    void setCursorHook(std::function<void(int)> hook) { m_cursorHook = std::move(hook); }
    int ScreenCursorNumber = 0;

    // Refreshes the counters and drive status; the status monitor installs itself here.
    void RefreshStatus() {
        if (m_refresh) m_refresh();
        notify();
    }
    void setRefreshStatus(std::function<void()> refresh) { m_refresh = std::move(refresh); }

    // The setup values: read from the setup file, then only read. The setup file reader (and a
    // test building its station) fills them through editSetup().
    const StationSetup& setup() const { return m_setup; }
    StationSetup& editSetup() { return m_setup; }

    // The two barcode reader states, always configured alike: normal reads, and reads of a page
    // turned by 90 degrees.
    barcode::QVCodabar MainReader;
    barcode::QVCodabar RotatedReader;

    // The task state: switches, stop requests, backup medium, last errors. Its setters announce a
    // change as stateChanged().
    TaskState& task() { return m_task; }
    const TaskState& task() const { return m_task; }

    // The status view-model the windows render.
    MainWindowState ui;

    // The data module of the station's image database; set once it has been created.
    TImageDataModule* DataModule = nullptr;

    // The S/MIME component and certificate stores of a signing station (set by the programs; null
    // where nothing signs), and the signing certificate chosen at start-up
    // (SelectSigningCertificate); empty when none was found.
    Smime* SMIME1 = nullptr;
    HeldCertificate CertMgr2;

signals:
    void stateChanged();

private:
    StationSetup m_setup;
    TaskState m_task;
    Prompter& m_prompter;
    Clock& m_clock;
    EventLog m_log;
    std::function<void()> m_pump;
    std::function<void(int)> m_cursorHook;
    std::function<void()> m_refresh;
};

// The program directory: KESTROVA_PROGRAM_DIR when set, otherwise the directory of the running
// executable (Qt's application directory). Always ends with "/".
QString DefaultProgramDir();
QString DefaultTempDir();

} // namespace kestrova
