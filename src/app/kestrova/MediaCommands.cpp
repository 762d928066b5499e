// kestrova media flush / media finalise / archive: the administration window's three tasks
// without the window; the questions are answered by flags and the reports printed.
#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "app/kestrova/RecordingPrompter.h"
#include "core/admin/FinaliseMedia.h"
#include "core/admin/MediaTasks.h"
#include "core/config/SetupInfo.h"
#include "core/store/BackupFiles.h"
#include "core/store/SignBackup.h"
#include "core/store/ZipMedia.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/openssl/OpenSslSmime.h"
#include "platform/volumes/SystemVolumes.h"
#include "platform/zip/LibzipArchive.h"

#include <QProcess>

namespace kestrova::cli {

namespace {

// Answers the Yes/No questions as the flags say; the percentage box with the flag's value.
class FlagPrompter : public RecordingPrompter {
public:
    bool lisAnyway = false;
    bool runUtility = false;
    QString percent;
    MessageResult message(const QString& caption, const QString& text, MessageIcon icon,
                          MessageButtons buttons) override {
        RecordingPrompter::message(caption, text, icon, MessageButtons::Ok);
        if (buttons != MessageButtons::YesNo) return MessageResult::Ok;
        bool yes = true; // the confirmation: running the command is the answer
        if (text.startsWith(QLatin1String("There are still images"))) yes = lisAnyway;
        if (text.startsWith(QLatin1String("No Images for this Media"))) yes = runUtility;
        Out(yes ? QStringLiteral("(answered Yes)") : QStringLiteral("(answered No)"));
        return yes ? MessageResult::Yes : MessageResult::No;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override { return percent; }
};

// The station with its setup file and database; the backup medium's label as the media label.
bool OpenStation(StationStartup& startup, const QString& setup, const SystemVolumes& volumes) {
    startup.echoLog(Out);
    if (!startup.readSetup(setup, SetupNeed::Working) || !startup.openDatabase()) return false;
    Station& station = startup.station();
    const QString backup = station.setup().SetupInfo.Directories[SlotBackup];
    if (backup == DriveDisabled) {
        Err(QStringLiteral("The backup destination is disabled."));
        return false;
    }
    station.task().setMediaLabel(VolumeLabelOf(volumes, backup));
    std::int64_t free = 0, total = 0;
    DriveFreeSpace(volumes, backup, free, total);
    station.editSetup().SetupInfo.FreeSpace[3] = free;
    station.editSetup().SetupInfo.TotalSpace[3] = total;
    return true;
}

int Flush(const QStringList& args) {
    QString setup;
    if (!SetupOnly(args, QStringLiteral("usage: kestrova media flush [--setup FILE]"), setup)) return 2;
    RecordingPrompter prompter;
    StationStartup startup(prompter);
    const SystemVolumes volumes;
    if (!OpenStation(startup, setup, volumes)) return 1;
    const LibzipFactory zipFactory;
    const ZipMedia zips(startup.station(), zipFactory);
    const CommitSummary summary = CommitWaitingZipFiles(startup.station(), zips);
    if (summary.busy) {
        Err(ZipFilesLock::BusyText);
        return 3;
    }
    Out(QStringLiteral("%1 zip files committed to media \"%2\", %3 left in the zip folder")
            .arg(summary.committed)
            .arg(startup.station().task().MediaLabel())
            .arg(summary.failed));
    return summary.failed == 0 ? 0 : 3;
}

int Finalise(const QStringList& given) {
    QStringList args = given;
    QString setup;
    FlagPrompter prompter;
    bool usage = !TakeSetup(args, setup);
    for (int i = 0; i < args.size() && !usage; ++i) {
        if (args[i] == QLatin1String("--percent") && i + 1 < args.size()) {
            prompter.percent = args[++i];
            const int p = FinaliseMedia::PercentOf(prompter.percent);
            usage = p < 1 || p > 100;
        } else if (args[i] == QLatin1String("--lis-anyway")) {
            prompter.lisAnyway = true;
        } else if (args[i] == QLatin1String("--verify-utility")) {
            prompter.runUtility = true;
        } else {
            usage = true;
        }
    }
    if (usage || prompter.percent.isNull()) {
        Err(QStringLiteral("usage: kestrova media finalise --percent N (1 to 100) [--lis-anyway] [--verify-utility] "
                           "[--setup FILE]"));
        return 2;
    }
    StationStartup startup(prompter);
    const SystemVolumes volumes;
    if (!OpenStation(startup, setup, volumes)) return 1;
    Station& station = startup.station();
    const LibzipFactory zipFactory;
    const ZipMedia zips(station, zipFactory);
    SignedImageArchive archive(station, zips);
    const LeptonicaImageCodec codec;
    const OpenSslSmime verifier{QString()};
    const Smime& smime = station.SMIME1 ? *station.SMIME1 : static_cast<const Smime&>(verifier);
    FinaliseMedia finalise(station, zips, archive, codec, smime, volumes);
    int utilityExit = -1;
    finalise.view.startProgram = [&](const QString& program, const QStringList& programArgs, const QString& dir) {
        // Here the utility runs to its end, so that its report reaches the terminal.
        QProcess p;
        p.setWorkingDirectory(dir);
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(program, programArgs);
        utilityExit = p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : 1;
        Out(program + QStringLiteral(" ended with %1").arg(utilityExit));
    };
    finalise.FinalisemediaClick();
    if (utilityExit >= 0) return utilityExit == 0 ? 0 : 3;
    if (finalise.Completed) {
        Out(QStringLiteral("Summary written to the media's summary directory: ") + finalise.MediaLabel +
            QStringLiteral(".csv"));
        return finalise.FailedImages == 0 ? 0 : 3;
    }
    return 1;
}

int Archive(const QStringList& args) {
    QString setup;
    if (!SetupOnly(args, QStringLiteral("usage: kestrova archive [--setup FILE]"), setup)) return 2;
    RecordingPrompter prompter;
    StationStartup startup(prompter);
    startup.echoLog(Out);
    if (!startup.readSetup(setup, SetupNeed::Working) || !startup.openDatabase()) return 1;
    DatabaseArchive archive(startup.station());
    const ArchiveOutcome outcome = archive.ArchiveDatabaseClick();
    if (!outcome.moved) {
        Out(QStringLiteral("Nothing archived: ") + outcome.error);
        return outcome.error == QLatin1String("Nothing to Archive!") ? 0 : 1;
    }
    Out(QStringLiteral("%1 rows below sequence number %2 moved to ImageArchive, %3 local copies deleted")
            .arg(outcome.rows)
            .arg(outcome.LowSeqNum)
            .arg(outcome.localDeleted));
    return 0;
}

const CommandRegistration flushRegistration{
    {QStringLiteral("media flush"), QStringLiteral("[--setup FILE]"),
     QStringLiteral("Move every zip file still waiting in the zip folder onto the backup destination and label its "
                    "rows with the medium's label. Exits 3 when a zip file could not be moved."),
     Flush}};

const CommandRegistration finaliseRegistration{
    {QStringLiteral("media finalise"), QStringLiteral("--percent N [--lis-anyway] [--verify-utility] [--setup FILE]"),
     QStringLiteral("Finalise the inserted backup medium: flush the waiting zip files, check (and rebuild) every zip "
                    "file of the medium, fully verify N percent of its images, write the summary into the medium's "
                    "summary directory. --lis-anyway goes on while images wait for the LIS; --verify-utility runs "
                    "reloadfmcd when the database holds no row for the medium. Exits 1 when the run did not "
                    "complete, 3 when images failed to verify."),
     Finalise}};

const CommandRegistration archiveRegistration{
    {QStringLiteral("archive"), QStringLiteral("[--setup FILE]"),
     QStringLiteral("Archive the image database: rows older than the two newest media (REMOTE stations: the rows "
                    "before those written 30 days ago) move to ImageArchive and their local .tif copies are "
                    "deleted; rows not yet on a medium stay."),
     Archive}};

} // namespace
} // namespace kestrova::cli
