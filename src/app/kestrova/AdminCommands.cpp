// kestrova query / kestrova images: the administration window's query console and image record
// maintenance without the window.
#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "core/admin/ConsoleSession.h"
#include "core/admin/ImageMaintenance.h"
#include "core/admin/QueryConsole.h"
#include "core/db/QueryText.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/ConsolePrompter.h"
#include "core/station/StatusMonitor.h"
#include "core/store/ZipMedia.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/volumes/SystemVolumes.h"
#include "platform/zip/LibzipArchive.h"

#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <cstdio>

namespace kestrova::cli {

namespace {

// Answers the console's parameter boxes from --param NAME=VALUE (names compared ignoring letter
// case), else with the box's default; messages go to standard error as the station shows them.
class ParamPrompter : public ConsolePrompter {
public:
    QHash<QString, QString> answers;
    std::optional<QString> inputBox(const QString&, const QString& prompt, const QString& defaultText) override {
        const auto it = answers.constFind(prompt.toLower());
        return it != answers.constEnd() ? *it : defaultText;
    }
};

void PrintRow(const QStringList& cells) {
    QStringList escaped;
    for (const QString& c : cells) escaped << QueryTextCell(c);
    std::fputs((escaped.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8().constData(), stdout);
}

// The setup file when there is one (the backup medium's label is the default media name).
void ReadSetupQuietly(StationStartup& startup, const SystemVolumes& volumes) {
    if (!QFileInfo::exists(SetupFileName) || !startup.readSetup(SetupFileName, SetupNeed::Reading)) return;
    const QString& backup = startup.station().setup().SetupInfo.Directories[SlotBackup];
    if (backup != DriveDisabled) startup.station().task().setMediaLabel(VolumeLabelOf(volumes, backup));
}

int Query(const QStringList& args) {
    ParamPrompter prompter;
    QString statement;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--param") && i + 1 < args.size() && args[i + 1].contains(QLatin1Char('='))) {
            const QString p = args[++i];
            prompter.answers.insert(p.section(QLatin1Char('='), 0, 0).toLower(), p.section(QLatin1Char('='), 1));
        } else if (statement.isNull() && !args[i].startsWith(QLatin1String("--"))) {
            statement = args[i];
        } else {
            statement.clear();
            break;
        }
    }
    if (statement.trimmed().isEmpty()) {
        Err(QStringLiteral("usage: kestrova query \"STATEMENT\" [--param NAME=VALUE]..."));
        return 2;
    }
    StationStartup startup(prompter);
    startup.echoLog(Err);
    const SystemVolumes volumes;
    ReadSetupQuietly(startup, volumes);
    if (!startup.openDatabase()) return startup.openExitCode() == 0 ? 1 : startup.openExitCode();
    ConsoleSession console(startup.station(), *startup.database());

    const StatementKind kind = ClassifyStatement(statement);
    std::optional<ConsoleStatement> prepared;
    if (kind != StatementKind::Nothing) prepared = console.prepare(statement, QString());
    if (!prepared) {
        Err(QStringLiteral("kestrova: nothing sent."));
        return 1;
    }
    QString error;
    if (kind == StatementKind::Change) {
        const std::optional<int> rows = console.runChange(*prepared, error);
        if (!rows) {
            Err(UnableToExecuteText(error));
            return 1;
        }
        Out(SuccessfulUpdateText(*rows));
        return 0;
    }
    std::optional<QSqlQuery> q = console.runQuery(*prepared, error);
    if (!q) {
        Err(UnableToExecuteText(error));
        return 1;
    }
    const QSqlRecord record = q->record();
    const QVector<bool> boolColumns = BoolColumns(record);
    QStringList header;
    for (int c = 0; c < record.count(); ++c) header << record.fieldName(c);
    PrintRow(header);
    while (q->next()) PrintRow(RowTexts(*q, boolColumns));
    const bool failed = q->lastError().isValid();
    if (failed) Err(UnableToExecuteText(q->lastError().text()));
    q->finish();
    return failed ? 1 : 0;
}

// The station with its setup, database and counters for the image commands.
struct ImageStation {
    ConsolePrompter prompter;
    StationStartup startup{prompter};
    SystemVolumes volumes;
    LibzipFactory zips;
    std::unique_ptr<ZipMedia> media;
    std::unique_ptr<StatusMonitor> monitor;
    std::unique_ptr<ImageMaintenance> images;

    bool open(bool database) {
        startup.echoLog(Err);
        if (!startup.readSetup(SetupFileName, database ? SetupNeed::Working : SetupNeed::Reading)) return false;
        if (database && !startup.openDatabase()) return false;
        media = std::make_unique<ZipMedia>(startup.station(), zips);
        images = std::make_unique<ImageMaintenance>(startup.station(), *media);
        if (database) {
            monitor = std::make_unique<StatusMonitor>(startup.station(), volumes, startup.database());
            monitor->install();
            startup.station().RefreshStatus();
        }
        return true;
    }
};

int ImagesFind(const QStringList& args) {
    if (args.size() != 1) {
        Err(QStringLiteral("usage: kestrova images find PREFIX"));
        return 2;
    }
    ImageStation s;
    if (!s.open(false)) return 1;
    for (const QString& name : s.images->showimagelist(args[0])) Out(name);
    return 0;
}

int ImagesDelete(const QStringList& args) {
    QStringList names = args;
    const bool yes = names.removeAll(QStringLiteral("--yes")) > 0;
    if (names.isEmpty() || !yes) {
        Err(QStringLiteral("usage: kestrova images delete NAME... --yes (deletes for good: store, local copy, media, "
                           "zip entries; rows marked \"Deleted\")"));
        return 2;
    }
    ImageStation s;
    if (!s.open(true)) return 1;
    if (!s.images->PendingCheck()) return 1;
    for (const QString& name : names) {
        QString error;
        if (!s.images->killrecord(name, error)) {
            Err(QStringLiteral("kestrova: ") + error);
            return 1;
        }
        Out(QStringLiteral("Deleted ") + name);
    }
    return 0;
}

int ImagesDuplicate(const QStringList& args) {
    if (args.size() != 2) {
        Err(QStringLiteral("usage: kestrova images duplicate NAME NEWID"));
        return 2;
    }
    ImageStation s;
    if (!s.open(false)) return 1;
    const QString file = s.images->ViewFile(args[0]);
    const LeptonicaImageCodec codec;
    const Result<ImageFileInfo> info =
        file.isEmpty() ? Result<ImageFileInfo>::failure(QString()) : codec.fileInfo(file);
    if (!info) {
        Err(ViewErrorText);
        return 1;
    }
    TilxInfo viewed;
    viewed.Width = static_cast<std::uint32_t>(info.value().width);
    viewed.Height = static_cast<std::uint32_t>(info.value().height);
    viewed.Filename = QFileInfo(file).absoluteFilePath();
    viewed.XResolution = static_cast<std::uint32_t>(std::max(0, info.value().xResolution));
    viewed.YResolution = static_cast<std::uint32_t>(std::max(0, info.value().yResolution));
    const QString target = s.images->DuplicateImage(args[1], viewed);
    if (target.isEmpty()) return 1;
    Out(target);
    return 0;
}

const CommandRegistration queryCommand(
    {QStringLiteral("query"), QStringLiteral("\"STATEMENT\" [--param NAME=VALUE]..."),
     QStringLiteral("run a statement of the administration window's query console: \":Q\" marks are answered from "
                    "--param (else Table=ImageData, Media_Name=the media label), [dates] are bound as values, drop "
                    "is refused; rows stream as tab-separated text with a header line"),
     Query});
const CommandRegistration findCommand({QStringLiteral("images find"), QStringLiteral("PREFIX"),
                                       QStringLiteral("list the stored images whose name starts with PREFIX"),
                                       ImagesFind});
const CommandRegistration deleteCommand(
    {QStringLiteral("images delete"), QStringLiteral("NAME... --yes"),
     QStringLiteral("delete stored images for good (store, local copy, media, zip entries); their rows are marked "
                    "\"Deleted\""),
     ImagesDelete});
const CommandRegistration duplicateCommand(
    {QStringLiteral("images duplicate"), QStringLiteral("NAME NEWID"),
     QStringLiteral("put a copy of a stored image into the decoded directory under a new request number"),
     ImagesDuplicate});

} // namespace
} // namespace kestrova::cli
