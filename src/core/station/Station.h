#pragma once

#include "barcode/QVCodabar.h"
#include "core/config/StationSetup.h"
#include "core/ports/Clock.h"
#include "core/ports/Prompter.h"
#include "core/station/ImageInfo.h"
#include "core/util/EventLog.h"

#include <QObject>
#include <QString>
#include <functional>

namespace kestrova {

class TImageDataModule;

// Text colours of the status display: the window's text colour, or a signal colour.
enum class LabelColour { WindowText, Red, Blue };

// What the main window shows that other parts of the station read or change as data. The window
// renders it; handlers change it through the station and call Station::notify().
struct MainWindowState {
    QString Caption = QStringLiteral("KestrovaNT ");
    QString lblBarcodeProfile = QStringLiteral("System is using default barcode type");
    bool ServerGroupVisible = false; // "Awaiting Lab IS"
    bool CDGrpEnabled = true;
    bool CDGroupLabelVisible = true;
    QString CDGroupLabelHint;
    bool AutoProcess1Checked = true;
    QString AutoProcess1Caption = QStringLiteral("Me&dia Process ON");
    bool DecodeProblems1Checked = true;
    QString DecodeProblems1Caption = QStringLiteral("&Decode Problems ON");
    bool SignIconVisible = false;
    // The problem file list: a mask and the directory it lists.
    QString ProblemFilesMask;
    QString ProblemFilesDirectory;
    // Counter texts of the "Image Progress" group.
    QString ScannedWaitingLabel = QStringLiteral("0");
    QString DecodedWaitingLabel = QStringLiteral("0");
    QString CDGroupLabel = QStringLiteral("0");
    QString ProblemGrpLabel = QStringLiteral("0");
    QString SystemLabel = QStringLiteral("0");
    QString ScannerDocLabel;

    // Status display: counter and device label colours, drive bars (0..1000, the used part in
    // per mille), the labels that replace a bar, and the device group captions.
    LabelColour ProblemGrpLabelColour = LabelColour::WindowText;
    LabelColour ScannedWaitingLabelColour = LabelColour::WindowText;
    LabelColour DecodedWaitingLabelColour = LabelColour::WindowText;
    // Hints of the file counters: which of their directories is missing; empty while all are there.
    QString ScannedWaitingLabelHint;
    QString DecodedWaitingLabelHint;
    QString ProblemGrpLabelHint;
    LabelColour SystemLabelColour = LabelColour::WindowText;
    int KestrovaBarPosition = 0;
    QString ImagesDrvGrpCaption = QStringLiteral("Images Drive");
    bool ImagesBarVisible = true;
    int ImagesBarPosition = 0;
    bool ImagesDrivelabelVisible = false;
    QString ImagesDrivelabel;
    LabelColour ImagesDrivelabelColour = LabelColour::WindowText;
    QString CDWriterGrpCaption = QStringLiteral("Disc Media");
    bool CDWriterBarVisible = true;
    int CDWriterBarPosition = 0;
    bool CdwriterlabelVisible = false;
    QString Cdwriterlabel;
    LabelColour CdwriterlabelColour = LabelColour::WindowText;
};

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

    // Backup medium and last failure of signing or zip rebuilding.
    QString MediaLabel;
    QString LastBackupError;

    // Stop requests for running passes.
    bool ConvertStop = false;
    bool BackupStop = false;
    bool FinaliseStop = false;

    // Task switches.
    bool StoreFileTimerEnabled = false;

    // Colour depth used to load an image set.
    int ImageSetDepth = 4;
    // What the imaging side last reported about an image it loaded.
    TImageInfo TilInfo;
    // Pages skipped while resolving problems.
    int ProblemSkipCount = 0;

    MainWindowState ui;

    // The data module of the station's image database; set once it has been created.
    TImageDataModule* DataModule = nullptr;

signals:
    void stateChanged();

private:
    StationSetup m_setup;
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
