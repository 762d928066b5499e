#include "app/common/Headless.h"
#include "app/common/Wiring.h"
#include "core/config/SetupInfo.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/ConsolePrompter.h"
#include "core/scan/BarcodeProfiles.h"
#include "core/scan/DecodeImages.h"
#include "core/scan/ProblemResolution.h"
#include "core/scan/ScanControl.h"
#include "core/station/Station.h"
#include "core/station/StatusMonitor.h"
#include "gui/forms/TAdminForm.h"
#include "gui/forms/TBarcodeListDlg.h"
#include "gui/forms/TFileStoreForm.h"
#include "gui/forms/TImgViewForm.h"
#include "gui/forms/TMainForm.h"
#include "gui/widgets/ApplicationBeeper.h"
#include "gui/widgets/ScannerDialogs.h"
#include "gui/widgets/WidgetPrompter.h"
#include "platform/acl/PosixFileSecurity.h"
#include "platform/ini/SimpleIniSource.h"
#include "platform/instance/SingleInstance.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/openssl/OpenSslSmime.h"
#include "platform/sane/StationScanner.h"
#include "platform/volumes/SystemVolumes.h"
#include "platform/zip/LibzipArchive.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace kestrova;

int main(int argc, char** argv) {
    const bool headless = RunHeadless();
    if (headless) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KestrovaNT"));
    QApplication::setFont(QFont(QStringLiteral("Tahoma"), 8));

    // Without a real screen nobody could answer a box: print messages instead.
    const QString platform = QGuiApplication::platformName();
    const bool console = headless || platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    ConsolePrompter consolePrompter;
    WidgetPrompter widgetPrompter;
    Prompter& prompter = console ? static_cast<Prompter&>(consolePrompter) : widgetPrompter;

    SingleInstance guard;
    if (!guard.acquire()) {
        prompter.message(QString(), QStringLiteral("KestrovaNT already running."));
        guard.activateRunning();
        return 0;
    }

    StationStartup startup(prompter);
    Station& station = startup.station();
    station.setMessagePump([] { QCoreApplication::processEvents(); });
    station.eventLog().setLogFile(station.setup().ProgramDir + QStringLiteral("logs/kestrova.log"));
    if (headless) {
        startup.echoLog([](const QString& line) {
            std::printf("%s\n", qPrintable(line));
            std::fflush(stdout);
        });
    }

    SimpleIniSource profileSource;
    TMainForm mainForm(station);
    mainForm.setProfileSource(&profileSource);
    widgetPrompter.setParent(&mainForm);
    // The data module comes before the setup file: reading the setup ends with the schema upgrade.
    if (!startup.openDatabase()) return startup.openExitCode();
    TAdminForm adminForm(station);
    mainForm.setAdminForm(&adminForm);
    SystemVolumes volumes;
    LeptonicaImageCodec codec;
    PosixFileSecurity fileSecurity;
    LibzipFactory zips;
    ApplicationBeeper beeper;
    TFileStoreForm storeForm(station, codec, volumes, zips, beeper, &fileSecurity);
    TBarcodeListDlg barcodeListDlg(station, &mainForm);
    TImgViewForm imgViewForm(station);
    imgViewForm.setCodec(&codec);
    LibzipFactory zipFactory;
    adminForm.setMainForm(&mainForm);
    adminForm.setStoreCycle(&storeForm.storeCycle());
    adminForm.setViewer(&imgViewForm);
    adminForm.setZipFactory(&zipFactory);
    const OpenSslSmime verifier{QString()};
    adminForm.setMediaServices(&codec, &volumes, &verifier);

    StatusMonitor monitor(station, volumes);
    monitor.install();

    SetupFileHooks hooks;
    hooks.UpdateDriveStatus = [&monitor] { monitor.UpdateDriveStatus(); };
    hooks.UpgradeDatabaseSchema = [&startup] { startup.database()->UpgradeDatabaseSchema(); };
    // The workstation starts up with a critical directory not set up, shows it, and closes once
    // its message loop begins (below); a headless start-up reports the same as a failure.
    if (!startup.readSetup(SetupFileName, SetupNeed::Reading, hooks)) return 1;
    const SetupOutcome setup = startup.setupOutcome();
    LoadDefaultBarcodeType(station);
    station.RefreshStatus();

    QString scannerProblem;
    std::unique_ptr<Scanner> scanner =
        CreateStationScanner(station.setup().ProgramDir, codec, WidgetScannerDialogs(&mainForm), &scannerProblem);
    if (!scannerProblem.isEmpty()) station.LogEvent(scannerProblem);
    ScanControl scanControl(station, *scanner, codec);
    mainForm.setScanControl(&scanControl);
    ProblemResolution problems(station, codec);
    problems.PruneDeletedPages();
    LoadLastBatchSummary(station, ImageSetFile(station.setup().SetupInfo.Directories[SlotScan]));
    mainForm.setProblemResolution(&problems);
    mainForm.setBarcodeListDlg(&barcodeListDlg);

    QObject::connect(&guard, &SingleInstance::activationRequested, &mainForm, [&mainForm] {
        std::fprintf(stderr, "KestrovaNT: activated by a second start\n");
        mainForm.activateFromSecondStart();
    });

    if (headless) {
        const MainWindowState& ui = station.ui;
        std::printf(
            "%s\nImages Scanned %s | Images Decoded %s | Awaiting BackUp %s | Problems %s | Awaiting Lab IS %s\n",
            qPrintable(ui.Caption), qPrintable(ui.ScannedWaitingLabel), qPrintable(ui.DecodedWaitingLabel),
            qPrintable(ui.CDGroupLabel), qPrintable(ui.ProblemGrpLabel), qPrintable(ui.SystemLabel));
        return setup == SetupOutcome::Ok ? 0 : 1;
    }

    mainForm.showMaximized();
    mainForm.Timer1->start();
    if (setup == SetupOutcome::EndAfterStartup) QTimer::singleShot(0, &app, [] { QCoreApplication::exit(1); });
    const int rc = app.exec();
    guard.release();
    return rc;
}
