#include "core/db/PostgresSchema.h"
#include "core/db/TImageDataModule.h"
#include "core/station/Station.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kestrova {

namespace {

const QString DatabaseFileName = QStringLiteral("KestrovaImageData.mdb");
const QString BlankFileName = QStringLiteral("KestrovaImageDataBlank.mdb");

QString DatabaseFolder(const Station& station) {
    QString dir = station.setup().ProgramDir;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir + QStringLiteral("ImageDatabase/");
}

ImageDataModuleCreation CannotBeFound(Station& station, const QString& where) {
    station.prompter().message(QStringLiteral("Image Database Error."),
                               QStringLiteral("ERROR!!\n\nThe KestrovaNT Image database which should be located at: "
                                              "\n\n%1\n\ncannot be found or recreated.")
                                   .arg(where),
                               MessageIcon::Error);
    return {nullptr, 1};
}

void TellCreated(Station& station) {
    station.prompter().message(
        QStringLiteral("Image Database Created."),
        QStringLiteral("Warning!!\n\nThe KestrovaNT Image database has been created from the blank dataset."),
        MessageIcon::Warning);
}

ImageDataModuleCreation CreateOnServer(Station& station, const QString& uriFile) {
    QString why;
    const auto server = ReadPostgresUriFile(uriFile, &why);
    if (!server) return CannotBeFound(station, uriFile + QStringLiteral(" (") + why + QLatin1Char(')'));
    auto module = std::make_unique<TImageDataModule>(station, *server);
    if (!module->ensureOpen(&why)) {
        // The server may come up later; the schema upgrade and the counters report it meanwhile.
        station.LogEvent(QStringLiteral("Image database server %1 cannot be reached: %2").arg(server->display, why));
        return {std::move(module), 0};
    }
    const SchemaResult schema = EnsurePostgresSchema(module->Database1());
    if (!schema.ok)
        return CannotBeFound(station, server->display + QStringLiteral(" (") + schema.error + QLatin1Char(')'));
    if (schema.created) TellCreated(station);
    return {std::move(module), 0};
}

} // namespace

ImageDataModuleCreation TImageDataModule::Create(Station& station) {
    const QString folder = DatabaseFolder(station);
    const QString uriFile = folder + QLatin1String(PostgresUriFileName);
    if (QFileInfo::exists(uriFile)) return CreateOnServer(station, uriFile);

    const QString target = folder + DatabaseFileName;
    if (!QFileInfo::exists(target)) {
        // The copy fails when the target exists, so two stations starting at once cannot
        // overwrite each other's fresh database.
        if (!QFile::copy(folder + BlankFileName, target)) return CannotBeFound(station, target);
        QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner | QFile::ReadOwner);
        TellCreated(station);
    }
    return {std::make_unique<TImageDataModule>(station, target), 0};
}

} // namespace kestrova
