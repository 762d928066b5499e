// kestrova convert: one convert pass of the store cycle, without the workstation.
#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "app/kestrova/RecordingPrompter.h"
#include "core/store/ConvertProcess.h"
#include "platform/acl/PosixFileSecurity.h"
#include "platform/leptonica/LeptonicaImageCodec.h"

namespace kestrova::cli {

namespace {

const QString Usage = QStringLiteral("[--setup FILE]");

// Exit codes: the pass ran and every file found was stored (or skipped as empty); the setup file
// or the database could not be used, a directory is missing, an interrupted page could not be
// settled or the sequence number could not be read; files were left behind after errors, or stored
// but not deletable (the log says why).
enum ConvertExit { Converted = 0, NotRun = 1, BadUsage = 2, FilesLeft = 3 };

int Convert(const QStringList& args) {
    QString setup;
    if (!SetupOnly(args, QStringLiteral("usage: kestrova convert ") + Usage, setup)) return BadUsage;
    RecordingPrompter prompter;
    StationStartup startup(prompter);
    startup.echoLog(Out);
    if (!startup.readSetup(setup, SetupNeed::Working) || !startup.openDatabase()) return NotRun;

    const LeptonicaImageCodec codec;
    PosixFileSecurity fileSecurity;
    ConvertProcess convert(startup.station(), codec, &fileSecurity);
    const ConvertSummary summary = convert.ConvertDecodedImages();
    for (const QString& dir : summary.missingDirectories) Out(QStringLiteral("Missing directory: ") + dir);
    QString count = QStringLiteral("%1 found, %2 stored, %3 left after errors")
                        .arg(summary.listed)
                        .arg(summary.stored)
                        .arg(summary.failed);
    if (summary.kept > 0) count += QStringLiteral(", %1 stored but not deletable").arg(summary.kept);
    Out(count);
    if (summary.sequenceFailed || summary.notRun) return NotRun;
    return summary.clean() ? Converted : FilesLeft;
}

const CommandRegistration registration{
    {QStringLiteral("convert"), Usage,
     QStringLiteral("Run one convert pass of the store cycle with the setup file (default: kestrova.inf here): every "
                    "decoded image gets a sequence number, a store copy, a local copy and an ImageData row, and "
                    "leaves the decoded directories. Prints the event log lines and a count. Exits 1 when the pass "
                    "could not run (a missing directory included), 3 when files were left behind after errors."),
     Convert}};

} // namespace
} // namespace kestrova::cli
