#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "app/kestrova/RecordingPrompter.h"
#include "core/config/SetupInfo.h"
#include "core/scan/BarcodeProfiles.h"
#include "core/scan/DecodeImages.h"
#include "core/scan/ScanControl.h"
#include "core/station/Station.h"
#include "platform/leptonica/LeptonicaImageCodec.h"

#include <QDir>

namespace kestrova::cli {

namespace {

const QString Usage = QStringLiteral("[--setup FILE]");

// Exit codes: the batch was decoded; it was not (the scan job failed, the scan was too short);
// it was decoded but pages of it could not be saved (the operator's warning is on standard error).
enum DecodeBatchExit { Decoded = 0, NotDecoded = 1, BadUsage = 2, PagesNotSaved = 3 };

int DecodeBatch(const QStringList& args) {
    QString setup;
    if (!SetupOnly(args, QStringLiteral("usage: kestrova decode-batch ") + Usage, setup)) return BadUsage;
    RecordingPrompter prompter;
    StationStartup startup(prompter);
    if (!startup.readSetup(setup, SetupNeed::Working)) return NotDecoded;
    Station& station = startup.station();
    LoadDefaultBarcodeType(station);

    // Only what decoding itself logs is printed, as it happens.
    startup.echoLog(Out);
    const qsizetype shownBefore = prompter.shown().size();
    const LeptonicaImageCodec codec;
    const QString imageSet = ImageSetFile(station.setup().SetupInfo.Directories[SlotScan]);
    DecodeImages(station, codec, imageSet);

    // The batch summary replaces "Sorting.." only when every page has been through decoding; a
    // failed job leaves "Sorting.." and a short scan leaves the advice to reset the scanner.
    QString label = station.ui.ScannerDocLabel;
    if (label.endsWith(QLatin1Char('\n'))) label.chop(1);
    Out(label);
    if (!label.startsWith(QLatin1String("Scan Size"))) return NotDecoded;
    return prompter.shown().size() > shownBefore ? PagesNotSaved : Decoded;
}

const CommandRegistration registration{
    {QStringLiteral("decode-batch"), Usage,
     QStringLiteral(
         "Decode the station's image-set file as at the end of a scan, with the default barcode type of "
         "the setup file (default: kestrova.inf here): pages go to the decoded or problems directory. A run that "
         "ended part-way continues where it stopped; a batch decoded whole is not written again. "
         "Prints the event log lines and the batch summary; message boxes go to standard error. Exits 1 "
         "when the batch was not decoded (scan job failed, scan too short), 3 when pages could not be "
         "saved."),
     DecodeBatch}};

} // namespace
} // namespace kestrova::cli
