#include "app/kestrova/Command.h"

#include "core/config/SetupFile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace kestrova::cli {

void PrintJson(const QJsonObject& object) {
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
    std::fflush(stdout);
}

bool TakeSetup(QStringList& args, QString& setup) {
    setup = SetupFileName;
    const qsizetype at = args.indexOf(QStringLiteral("--setup"));
    if (at < 0) return true;
    if (at + 1 >= args.size()) return false;
    setup = args[at + 1];
    args.remove(at, 2);
    return true;
}

bool SetupOnly(const QStringList& args, const QString& usage, QString& setup) {
    QStringList rest = args;
    if (TakeSetup(rest, setup) && rest.isEmpty()) return true;
    Err(usage);
    return false;
}

} // namespace kestrova::cli
