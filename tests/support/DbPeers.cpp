#include "DbPeers.h"

#include "core/db/PostgresConfig.h"

#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>

namespace kestrova::test {

QSqlDatabase PeerConnection(DbEngine engine, const QString& target, const QString& name) {
    if (engine == DbEngine::SQLite) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(target);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        db.open();
        return db;
    }
    const PostgresConfig c = *ParsePostgresUri(target);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(c.host);
    db.setPort(c.port);
    db.setDatabaseName(c.database);
    db.setUserName(c.user);
    if (db.open()) QSqlQuery(db).exec(QStringLiteral("SET lock_timeout = 5000"));
    return db;
}

QString TrueLiteral(DbEngine engine) {
    return engine == DbEngine::SQLite ? QStringLiteral("1") : QStringLiteral("true");
}

QString FalseLiteral(DbEngine engine) {
    return engine == DbEngine::SQLite ? QStringLiteral("0") : QStringLiteral("false");
}

std::unique_ptr<QProcess> StartStandIn(const QString& test, const QProcessEnvironment& env) {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::MergedChannels);
    p->start(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget(),
             {QStringLiteral("--gtest_also_run_disabled_tests"), QStringLiteral("--gtest_filter=") + test});
    return p;
}

std::string EngineName(const ::testing::TestParamInfo<DbEngine>& info) {
    return info.param == DbEngine::SQLite ? "SQLite" : "PostgreSQL";
}

} // namespace kestrova::test
