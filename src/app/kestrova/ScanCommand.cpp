#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "core/config/SetupInfo.h"
#include "core/ports/ConsolePrompter.h"
#include "core/scan/ScanControl.h"
#include "core/scan/ScanControlSetup.h"
#include "core/station/Station.h"
#include "platform/folderfeed/FolderFeeder.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/sane/SaneScanner.h"
#include "platform/sane/StationScanner.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>

namespace kestrova::cli {

namespace {

std::unique_ptr<Scanner> ChosenScanner(const QStringList& args, const Station& station, const ImageCodec& codec) {
    if (args.size() == 2 && args[0] == QLatin1String("--folder"))
        return std::make_unique<FolderFeeder>(codec, QDir(args[1]).absolutePath());
    if (args.size() == 2 && args[0] == QLatin1String("--device")) {
        ScannerConf conf;
        conf.load(QDir(station.setup().ProgramDir).filePath(QLatin1String(ScannerConf::FileName)));
        conf.setValue(QStringLiteral("device"), args[1]); // for this run only: the file is not written
        return std::make_unique<SaneScanner>(codec, conf);
    }
    if (!args.isEmpty()) return nullptr;
    QString problem;
    std::unique_ptr<Scanner> scanner = CreateStationScanner(station.setup().ProgramDir, codec, {}, &problem);
    if (!problem.isEmpty()) Err(problem);
    return scanner;
}

const QString Usage = QStringLiteral("[--device NAME | --folder DIR]");

int Scan(const QStringList& args) {
    const bool knownArgs =
        args.isEmpty() ||
        (args.size() == 2 && (args[0] == QLatin1String("--folder") || args[0] == QLatin1String("--device")));
    if (!knownArgs) {
        Err(QStringLiteral("usage: kestrova scan ") + Usage);
        return 2;
    }
    ConsolePrompter prompter;
    StationStartup startup(prompter);
    startup.echoLog(Out);
    if (!startup.readSetup(SetupFileName, SetupNeed::Working)) return 1;
    Station& station = startup.station();

    LeptonicaImageCodec codec;
    std::unique_ptr<Scanner> scanner = ChosenScanner(args, station, codec);
    if (!scanner) return 1; // the station's scanner could not be made; the reason is printed
    Out(QStringLiteral("Scanning from ") + scanner->description());
    ScanControl control(station, *scanner, codec);
    // This command only scans: the batch waits in the image-set file for kestrova decode-batch.
    const QString imageSet = ImageSetFile(station.setup().SetupInfo.Directories[SlotScan]);
    control.setDecodeImages([&station, &codec, &imageSet] {
        const Result<int> pages = codec.pageCount(imageSet);
        station.ui.ScannerDocLabel =
            pages ? QStringLiteral("Last scan batch: %1 page(s)").arg(pages.value()) : pages.error();
    });
    bool scanned = false;
    QObject::connect(scanner.get(), &Scanner::scanDone, [&scanned] { scanned = true; });
    // "Set Size and Scan" without a settings dialog: the current settings, and the device's message in the log.
    control.ScanbuttonClick();
    if (control.scanning()) {
        QEventLoop loop;
        QObject::connect(&control, &ScanControl::scanningChanged, &loop, [&loop](bool on) {
            if (!on) loop.quit();
        });
        loop.exec();
    }
    if (!scanned) return 1;
    Out(station.ui.ScannerDocLabel + QStringLiteral(" in ") + QDir::toNativeSeparators(imageSet));
    return 0;
}

const CommandRegistration registration{
    {QStringLiteral("scan"), Usage,
     QStringLiteral("Scan one batch into the station's image-set file with the current settings: from the source "
                    "scanner.conf names, a SANE device, or a folder of page images; exits 1 when nothing was "
                    "scanned."),
     Scan}};

} // namespace
} // namespace kestrova::cli
