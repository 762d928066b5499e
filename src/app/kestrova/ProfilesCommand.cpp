#include "app/kestrova/BarcodeTypeJson.h"
#include "app/kestrova/Command.h"
#include "core/config/Configuration.h"
#include "core/config/ConfigurationJson.h"
#include "core/scan/BarcodeProfiles.h"
#include "core/station/Station.h"
#include "platform/ini/SimpleIniSource.h"

#include <QJsonArray>
#include <QJsonObject>

namespace kestrova::cli {

namespace {

int ShowProfile(const QString& programDir, const QString& name) {
    const QString path = programDir + name + ProfileExtension;
    TKestrovaConfiguration configuration;
    QString error;
    if (!configuration.Load(SimpleIniSource(), path, &error)) {
        Err(QStringLiteral("kestrova profiles: %1 cannot be read: %2").arg(path, error));
        return 1;
    }
    const bool hasProfile = configuration.ProfileSettings.count() > 0;
    QJsonObject report{{QStringLiteral("profile"), name},
                       {QStringLiteral("file"), path},
                       {QStringLiteral("configuration"), ConfigurationToJson(configuration)},
                       {QStringLiteral("barcodeType"),
                        hasProfile ? QJsonValue(BarcodeTypeToJson(ProfileBarcodeType(configuration))) : QJsonValue()}};
    PrintJson(report);
    if (!hasProfile) {
        Err(QStringLiteral("kestrova profiles: %1 holds no \"%2\" section").arg(path, ProfileSectionName(0)));
        return 1;
    }
    return 0;
}

int Profiles(const QStringList& args) {
    const QString programDir = DefaultProgramDir();
    if (args.size() == 2 && args[0] == QLatin1String("--show")) return ShowProfile(programDir, args[1]);
    if (!args.isEmpty()) {
        Err(QStringLiteral("usage: kestrova profiles [--show NAME]"));
        return 2;
    }
    QStringList names;
    ListProfileFiles(programDir, names);
    PrintJson(
        {{QStringLiteral("programDir"), programDir}, {QStringLiteral("profiles"), QJsonArray::fromStringList(names)}});
    return 0;
}

const CommandRegistration registration{
    {QStringLiteral("profiles"), QStringLiteral("[--show NAME]"),
     QStringLiteral("List the barcode profiles (NAME.stp in the program directory) in the order of the Barcodes "
                    "menu, as JSON; with --show, print the configuration read from NAME.stp and the barcode type "
                    "the readers would get from it."),
     Profiles}};

} // namespace
} // namespace kestrova::cli
