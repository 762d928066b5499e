// kestrova store-cycle: the store cycle of a station without the workstation, for scan-server
// stations that run it as a service: convert and backup passes on the workstation's timer until
// SIGTERM or SIGINT.
#include "app/common/BackupWiring.h"
#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "core/ports/ConsolePrompter.h"
#include "core/station/Station.h"
#include "core/store/BackupProcess.h"
#include "core/store/ConvertProcess.h"
#include "core/store/StoreCycle.h"
#include "platform/acl/PosixFileSecurity.h"
#include "platform/leptonica/LeptonicaImageCodec.h"

#include <QCoreApplication>
#include <QTimer>
#include <csignal>

namespace kestrova::cli {

namespace {

const QString Usage = QStringLiteral("[--setup FILE]");

enum StoreCycleExit { Stopped = 0, NotRun = 1, BadUsage = 2 };

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void OnStopSignal(int signal) {
    g_stopSignal = signal;
}

int RunStoreCycle(const QStringList& args) {
    QString setup;
    if (!SetupOnly(args, QStringLiteral("usage: kestrova store-cycle ") + Usage, setup)) return BadUsage;
    ConsolePrompter prompter;
    StationStartup startup(prompter);
    startup.echoLog(Out);
    if (!startup.readSetup(setup, SetupNeed::Working) || !startup.openDatabase()) return NotRun;
    Station& station = startup.station();
    // Passes let the event loop run between files, so a stop request is seen part-way.
    station.setMessagePump([] { QCoreApplication::processEvents(); });

    const LeptonicaImageCodec codec;
    PosixFileSecurity fileSecurity;
    ConvertProcess convert(station, codec, &fileSecurity);
    BackupWiring backup(station);
    StoreCycle cycle(station, convert, backup.volumes());
    cycle.setBackupStoredImages([&backup] { return backup.process().BackupStoredImages(); });

    g_stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // A pass in progress is asked to stop; every pass can be stopped between any two steps and
    // the next run settles what it left.
    QTimer stopWatch;
    stopWatch.setInterval(200);
    QObject::connect(&stopWatch, &QTimer::timeout, [&station] {
        if (g_stopSignal == 0) return;
        station.task().setConvertStop(true);
        station.task().setBackupStop(true);
        QCoreApplication::quit();
    });
    stopWatch.start();

    Out(QStringLiteral("Store cycle of %1 running (first pass in 10 s, then every 25 s); SIGTERM stops it.")
            .arg(station.setup().ProgramDir));
    QCoreApplication::exec();
    Out(QStringLiteral("Store cycle stopped."));
    return Stopped;
}

const CommandRegistration registration{
    {QStringLiteral("store-cycle"), Usage,
     QStringLiteral("Run the store cycle of the station with the setup file (default: kestrova.inf here) without "
                    "the workstation, as a scan-server station's service does: a convert pass and, when the backup "
                    "destination is set up, a backup pass on the workstation's timer, until SIGTERM or SIGINT. "
                    "Prints the event log lines. Exits 1 when the station cannot run (setup file, database)."),
     RunStoreCycle}};

} // namespace
} // namespace kestrova::cli
