// kestrova backup: one backup pass of the store cycle, without the workstation.
#include "app/common/BackupWiring.h"
#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "app/kestrova/RecordingPrompter.h"
#include "core/config/SetupInfo.h"
#include "core/store/BackupProcess.h"

namespace kestrova::cli {

namespace {

const QString Usage = QStringLiteral("[--setup FILE]");

// Exit codes: the pass ran and left no row behind after an error (rows may still wait when it
// stopped at its limit: the count says so); the pass could not run (setup file, database, backup
// destination disabled, expired certificate, another pass running); rows were left after errors.
enum BackupExit { BackedUp = 0, NotRun = 1, BadUsage = 2, RowsLeft = 3 };

int Backup(const QStringList& args) {
    QString setup;
    if (!SetupOnly(args, QStringLiteral("usage: kestrova backup ") + Usage, setup)) return BadUsage;
    RecordingPrompter prompter;
    StationStartup startup(prompter);
    startup.echoLog(Out);
    if (!startup.readSetup(setup, SetupNeed::Working) || !startup.openDatabase()) return NotRun;
    Station& station = startup.station();
    if (station.setup().SetupInfo.Directories[SlotBackup] == DriveDisabled) {
        Out(QStringLiteral("The backup destination is disabled: nothing is backed up."));
        return NotRun;
    }

    BackupWiring wiring(station);
    BackupProcess& backup = wiring.process();
    backup.BackupStoredImages();
    const BackupSummary& summary = backup.lastSummary();
    QString count = QStringLiteral("%1 rows handled, %2 recorded, %3 zip files completed, %4 left after errors")
                        .arg(summary.iterations)
                        .arg(summary.recorded)
                        .arg(summary.completed)
                        .arg(summary.failed);
    if (summary.morePending) count += QStringLiteral("; more rows wait for the next pass");
    Out(count);
    if (summary.notRun) return NotRun;
    return summary.failed == 0 ? BackedUp : RowsLeft;
}

const CommandRegistration registration{
    {QStringLiteral("backup"), Usage,
     QStringLiteral("Run one backup pass of the store cycle with the setup file (default: kestrova.inf here): at most "
                    "50 stored images go into their zip files (complete zip files move to the backup destination) "
                    "or, on a remote station, to the scan server. Prints the event log lines and a count. Exits 1 "
                    "when the pass could not run (an expired signing certificate included), 3 when rows were left "
                    "after errors."),
     Backup}};

} // namespace
} // namespace kestrova::cli
