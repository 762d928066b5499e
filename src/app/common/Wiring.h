#pragma once

#include "core/config/SetupFile.h"
#include "core/ports/Clock.h"
#include "core/station/Station.h"

#include <functional>
#include <memory>

namespace kestrova {

class TImageDataModule;
class OpenSslSmime;

// The directory below the program directory that holds one directory per certificate store.
inline const QString CertificateStoresDir = QStringLiteral("certificates/");

// How much of the setup file a program needs before it goes on. The setup reader ends in Ok, in
// EndAfterStartup (a critical directory is not set up: the workstation completes its start-up and
// then closes) or in EndNow (unreadable file, a required number or the barcode type missing).
enum class SetupNeed {
    // Commands that store, decode, scan or file pages (convert, decode-batch, scan, problems):
    // only Ok. With a critical directory not set up they would write into, or take files from,
    // a directory the station refuses to run with.
    Working,
    // Programs that only read and show (status, read-barcodes) and the workstation's own
    // start-up: Ok or EndAfterStartup. The barcode type and every directory that is set are read
    // all the same, and showing them is how the operator finds what to mend.
    Reading,
};

// True when a setup file read with `outcome` is good enough for `need`.
bool SetupUsable(SetupOutcome outcome, SetupNeed need);

// The one start-up path of the workstation and of every kestrova command: the clock and the
// station with the caller's prompter, then, in the order the caller asks for them, the event log
// echo, the setup file and the image database. The order is the caller's because it shows: an
// echo installed after the setup file is read leaves the setup messages out of the output.
class StationStartup {
public:
    explicit StationStartup(Prompter& prompter);
    ~StationStartup();
    StationStartup(const StationStartup&) = delete;
    StationStartup& operator=(const StationStartup&) = delete;

    Station& station() { return m_station; }

    // Every event log line logged from now on also goes to echo.
    void echoLog(const std::function<void(const QString&)>& echo);

    // Reads the setup file into the station; true when its outcome meets need (see SetupNeed). A
    // station that signs chooses its signing certificate from the stores below the program
    // directory (SelectSigningCertificate) unless the hooks do it another way.
    bool readSetup(const QString& path, SetupNeed need, const SetupFileHooks& hooks = {});
    // The outcome of the last readSetup; EndNow before any.
    SetupOutcome setupOutcome() const { return m_setup; }

    // Finds or recreates the image database (with the station's messages) and hands it to the
    // station; false when there is none, with the process exit code in openExitCode().
    bool openDatabase();
    int openExitCode() const { return m_openExitCode; }
    TImageDataModule* database() const { return m_data.get(); }

private:
    SystemClock m_clock;
    Station m_station;
    // Declared after the station: the module goes first, while the station it points to is alive.
    std::unique_ptr<TImageDataModule> m_data;
    std::unique_ptr<OpenSslSmime> m_smime;
    SetupOutcome m_setup = SetupOutcome::EndNow;
    int m_openExitCode = 0;
};

} // namespace kestrova
