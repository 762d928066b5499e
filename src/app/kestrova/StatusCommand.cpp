#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "app/kestrova/RecordingPrompter.h"
#include "core/db/PostgresConfig.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/ConsolePrompter.h"
#include "core/station/Station.h"
#include "core/station/StatusMonitor.h"
#include "core/store/SigningCertificate.h"
#include "platform/volumes/SystemVolumes.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace kestrova::cli {

namespace {

QString ColourName(LabelColour colour) {
    switch (colour) {
    case LabelColour::Red:
        return QStringLiteral("red");
    case LabelColour::Blue:
        return QStringLiteral("blue");
    case LabelColour::Aqua:
        return QStringLiteral("aqua");
    case LabelColour::WindowText:
        break;
    }
    return QStringLiteral("windowText");
}

QJsonObject Counter(const QString& text, LabelColour colour = LabelColour::WindowText) {
    return {{QStringLiteral("text"), text}, {QStringLiteral("colour"), ColourName(colour)}};
}

QJsonValue Amount(std::int64_t amount) {
    return static_cast<qint64>(amount);
}

QJsonObject Drive(const Station& station, const StatusMonitor& monitor, int drive, int slot, const QString& group) {
    const std::optional<int> perMille = monitor.freePerMille(drive);
    return {{QStringLiteral("group"), group},
            {QStringLiteral("path"), station.setup().SetupInfo.Directories[slot]},
            {QStringLiteral("FreeSpace"), Amount(station.setup().SetupInfo.FreeSpace[drive])},
            {QStringLiteral("TotalSpace"), Amount(station.setup().SetupInfo.TotalSpace[drive])},
            {QStringLiteral("freePerMille"), perMille ? QJsonValue(*perMille) : QJsonValue()}};
}

QJsonObject Report(const Station& station, const StatusMonitor& monitor) {
    const MainWindowState& ui = station.ui;
    QJsonObject counters{
        {QStringLiteral("ScannedWaitingLabel"), Counter(ui.ScannedWaitingLabel, ui.ScannedWaitingLabelColour)},
        {QStringLiteral("DecodedWaitingLabel"), Counter(ui.DecodedWaitingLabel, ui.DecodedWaitingLabelColour)},
        {QStringLiteral("ProblemGrpLabel"), Counter(ui.ProblemGrpLabel, ui.ProblemGrpLabelColour)}};
    if (ui.CDGroupLabelVisible)
        counters.insert(QStringLiteral("CDGroupLabel"), Counter(ui.CDGroupLabel, ui.CDGroupLabelColour));
    if (ui.ServerGroupVisible)
        counters.insert(QStringLiteral("SystemLabel"), Counter(ui.SystemLabel, ui.SystemLabelColour));

    QJsonObject images = Drive(station, monitor, 2, SlotImageStore, ui.ImagesDrvGrpCaption);
    if (ui.ImagesDrivelabelVisible)
        images.insert(QStringLiteral("label"), Counter(ui.ImagesDrivelabel, ui.ImagesDrivelabelColour));
    QJsonObject backup = Drive(station, monitor, 3, SlotBackup, ui.CDWriterGrpCaption);
    if (ui.CdwriterlabelVisible)
        backup.insert(QStringLiteral("label"), Counter(ui.Cdwriterlabel, ui.CdwriterlabelColour));

    return {{QStringLiteral("counters"), counters},
            {QStringLiteral("drives"), QJsonObject{{QStringLiteral("scan"), Drive(station, monitor, 1, SlotScan,
                                                                                  QStringLiteral("Kestrova Drive"))},
                                                   {QStringLiteral("images"), images},
                                                   {QStringLiteral("backup"), backup}}},
            {QStringLiteral("MediaLabel"), station.task().MediaLabel()},
            {QStringLiteral("mediaProcess"), station.task().AutoProcess1()},
            {QStringLiteral("log"), QJsonArray::fromStringList(station.eventLog().lines())}};
}

int Status(const QStringList& args) {
    if (args.size() > 1) {
        Err(QStringLiteral("usage: kestrova status [FILE]"));
        return 2;
    }
    const QString path = args.isEmpty() ? SetupFileName : args.front();
    RecordingPrompter prompter;
    StationStartup startup(prompter);
    Station& station = startup.station();
    // A dashboard reads, so a setup with a critical directory not set up is still shown (and
    // exits 1 below); one the station cannot start with at all has nothing to show.
    if (!startup.readSetup(path, SetupNeed::Reading)) return 1;
    const SetupOutcome outcome = startup.setupOutcome();

    // Nor does it create a missing database or upgrade an old one.
    const QString folder = station.setup().ProgramDir + QStringLiteral("ImageDatabase/");
    QString databaseError;
    if (QFileInfo::exists(folder + QLatin1String(PostgresUriFileName)) ||
        QFileInfo::exists(folder + QStringLiteral("KestrovaImageData.mdb"))) {
        (void)startup.openDatabase(); // a database that will not open is reported as none below
    } else {
        databaseError = QStringLiteral("no image database in ") + folder;
        Err(QStringLiteral("kestrova status: ") + databaseError);
    }
    TImageDataModule* data = startup.database();

    SystemVolumes volumes;
    StatusMonitor monitor(station, volumes);
    monitor.install();
    station.RefreshStatus();

    QJsonObject report = Report(station, monitor);
    report.insert(QStringLiteral("file"), path);
    report.insert(QStringLiteral("database"), data ? QJsonValue(data->location()) : QJsonValue());
    if (!databaseError.isEmpty()) report.insert(QStringLiteral("databaseError"), databaseError);
    report.insert(QStringLiteral("messages"), prompter.shown());
    if (station.setup().SigningOn) {
        // The signing certificate: how long the backup pass will still sign with it.
        const CertificateDetails& cert = station.CertMgr2.details;
        QJsonObject signing{{QStringLiteral("store"), station.setup().CertificateInfo.Store},
                            {QStringLiteral("serialWanted"), station.setup().CertificateInfo.Serial},
                            {QStringLiteral("found"), !station.CertMgr2.isEmpty()}};
        if (!station.CertMgr2.isEmpty()) {
            signing.insert(QStringLiteral("CertSerialNumber"), cert.CertSerialNumber);
            signing.insert(QStringLiteral("CertSubject"), cert.CertSubject);
            signing.insert(QStringLiteral("CertIssuer"), cert.CertIssuer);
            signing.insert(QStringLiteral("CertExpirationDate"), cert.CertExpirationDate);
            signing.insert(QStringLiteral("daysLeft"), DaysUntilExpiry(station, station.clock().now()));
        }
        report.insert(QStringLiteral("signingCertificate"), signing);
    }
    // A directory the station works in that is not there: counted as nothing above, so say so.
    QJsonArray missing;
    for (const MissingDirectory& m : monitor.missingDirectories()) {
        missing.append(QJsonObject{{QStringLiteral("slot"), m.slot},
                                   {QStringLiteral("role"), DirectoryRole(m.slot)},
                                   {QStringLiteral("path"), m.path}});
        Err(QStringLiteral("kestrova status: the %1 %2 does not exist").arg(DirectoryRole(m.slot), m.path));
    }
    report.insert(QStringLiteral("missingDirectories"), missing);
    PrintJson(report);
    return outcome == SetupOutcome::Ok && data && missing.isEmpty() ? 0 : 1;
}

const CommandRegistration registration{
    {QStringLiteral("status"), QStringLiteral("[FILE]"),
     QStringLiteral("Read a setup file (default: kestrova.inf here), refresh the status as the main window does and "
                    "print the counters, the three drives (amounts in 10,000 bytes, free per mille), the backup "
                    "medium's name, the signing certificate and its days left, the working directories that are "
                    "missing and the event log lines as JSON; "
                    "message boxes go to standard error. Exits 1 when a directory is missing."),
     Status}};

} // namespace
} // namespace kestrova::cli
