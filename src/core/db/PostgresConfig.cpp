#include "core/db/PostgresConfig.h"

#include <QFile>
#include <QUrl>
#include <QUrlQuery>

namespace kestrova {

std::optional<PostgresConfig> ParsePostgresUri(const QString& uri, QString* error) {
    auto failed = [&](const QString& why) -> std::optional<PostgresConfig> {
        if (error) *error = why;
        return std::nullopt;
    };
    const QUrl url(uri.trimmed(), QUrl::StrictMode);
    if (!url.isValid()) return failed(QStringLiteral("not a valid URI: ") + url.errorString());
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))
        return failed(QStringLiteral("the URI must begin with postgresql://"));
    PostgresConfig c;
    c.host = url.host(QUrl::FullyDecoded);
    if (c.host.isEmpty()) return failed(QStringLiteral("the URI names no server"));
    c.port = url.port(5432);
    c.database = url.path(QUrl::FullyDecoded);
    if (c.database.startsWith(QLatin1Char('/'))) c.database.remove(0, 1);
    if (c.database.isEmpty()) return failed(QStringLiteral("the URI names no database"));
    c.user = url.userName(QUrl::FullyDecoded);
    c.password = url.password(QUrl::FullyDecoded);
    QStringList options;
    bool timeoutGiven = false;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (key.contains(QLatin1Char(';')) || value.contains(QLatin1Char(';')) || key.contains(QLatin1Char(' ')))
            return failed(QStringLiteral("the URI option \"%1\" cannot be used").arg(key));
        timeoutGiven = timeoutGiven || key == QLatin1String("connect_timeout");
        QString v = value;
        v.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
        options << key + QStringLiteral("='") + v + QLatin1Char('\'');
    }
    if (!timeoutGiven) options << QStringLiteral("connect_timeout=5");
    c.options = options.join(QLatin1Char(';'));
    QUrl shown = url;
    shown.setPassword(QString());
    c.display = shown.toString();
    return c;
}

std::optional<PostgresConfig> ReadPostgresUriFile(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error) *error = f.errorString();
        return std::nullopt;
    }
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        return ParsePostgresUri(line, error);
    }
    if (error) *error = QStringLiteral("the file holds no URI");
    return std::nullopt;
}

} // namespace kestrova
