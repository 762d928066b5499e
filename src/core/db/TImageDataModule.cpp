#include "core/db/TImageDataModule.h"

#include "core/db/DbErrors.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace kestrova {

namespace {

QString NewConnectionName() {
    static std::atomic<quint64> counter{0};
    return QStringLiteral("ImageDatabase#%1").arg(++counter);
}

// Runs one statement on a freshly opened connection; false with the engine's text.
bool RunSetting(QSqlDatabase& db, const QString& sql, DbEngine engine, QString& error, QString* answer = nullptr) {
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        error = DbErrorText(q.lastError(), engine);
        return false;
    }
    if (answer && q.next()) *answer = q.value(0).toString();
    return true;
}

} // namespace

TImageDataModule::TImageDataModule(Station& station, DbEngine engine)
    : m_station(station), m_engine(engine), m_connectionName(NewConnectionName()) {}

TImageDataModule::TImageDataModule(Station& station, const QString& sqliteFile)
    : TImageDataModule(station, DbEngine::SQLite) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(sqliteFile);
    m_location = QFileInfo(sqliteFile).absoluteFilePath();
}

TImageDataModule::TImageDataModule(Station& station, const PostgresConfig& server)
    : TImageDataModule(station, DbEngine::PostgreSQL) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    db.setHostName(server.host);
    db.setPort(server.port);
    db.setDatabaseName(server.database);
    db.setUserName(server.user);
    db.setPassword(server.password);
    db.setConnectOptions(server.options);
    m_location = server.display;
}

TImageDataModule::~TImageDataModule() {
    releaseQueries();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

std::array<DataQuery*, 10> TImageDataModule::queries() {
    return {&ImageDataQuery, &FileImageDataQuery, &BackupImageDataQuery, &BackupImageWriteQuery, &AdminQuery,
            &LISinfoQuery,   &imageQuery,         &VerfifedImageQuery,   &ColumnCheckQuery,      &VerifyZipFileQuery};
}

void TImageDataModule::releaseQueries() {
    for (DataQuery* q : queries()) {
        q->close();
        q->unprepare();
    }
}

QSqlDatabase TImageDataModule::Database1() const {
    return QSqlDatabase::database(m_connectionName, false);
}

void TImageDataModule::connectionLost() {
    m_lost = true;
}

bool TImageDataModule::ensureOpen(QString* error) {
    QSqlDatabase db = Database1();
    if (!db.isValid()) {
        if (error)
            *error = QStringLiteral("The %1 database driver is not available.")
                         .arg(m_engine == DbEngine::SQLite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL"));
        return false;
    }
    if (db.isOpen() && !m_lost) return true;
    if (db.isOpen()) {
        // Statements prepared on the old connection go with it.
        for (DataQuery* q : queries()) q->unprepare();
        db.close();
    }
    m_lost = false;
    QString why;
    const bool ok = m_engine == DbEngine::SQLite ? openSqlite(db, why) : openPostgres(db, why);
    if (!ok) {
        if (db.isOpen()) db.close();
        if (error) *error = why;
        return false;
    }
    ++m_generation;
    return true;
}

bool TImageDataModule::openSqlite(QSqlDatabase& db, QString& error) {
    // Opening would create a missing file; the station must never work on an empty stand-in.
    if (!QFileInfo::exists(db.databaseName())) {
        error = QStringLiteral("The database file %1 does not exist.").arg(db.databaseName());
        return false;
    }
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_lockWaitMs));
    if (!db.open()) {
        error = DbErrorText(db.lastError(), m_engine);
        return false;
    }
    // WAL lets the LIS read while the station writes; the busy timeout makes writers wait for
    // each other instead of failing at once. Either failing here means the file is no database.
    // A 16 MB page cache keeps the upper index pages of a large table in memory, so a row's insert
    // reads less of the file (commits still go to disk in full).
    QString mode;
    return RunSetting(db, QStringLiteral("PRAGMA busy_timeout = %1").arg(m_lockWaitMs), m_engine, error) &&
           RunSetting(db, QStringLiteral("PRAGMA journal_mode = WAL"), m_engine, error, &mode) &&
           RunSetting(db, QStringLiteral("PRAGMA cache_size = -16000"), m_engine, error) &&
           RunSetting(db, QStringLiteral("SELECT count(*) FROM sqlite_master"), m_engine, error);
}

bool TImageDataModule::openPostgres(QSqlDatabase& db, QString& error) {
    if (!db.open()) {
        error = DbErrorText(db.lastError(), m_engine);
        return false;
    }
    // A row another holder keeps locked fails after a few seconds with a lock error instead of
    // blocking the station's window.
    return RunSetting(db, QStringLiteral("SET lock_timeout = %1").arg(m_lockWaitMs), m_engine, error) &&
           RunSetting(db, QStringLiteral("SET standard_conforming_strings = on"), m_engine, error) &&
           RunSetting(db, QStringLiteral("SET client_min_messages = warning"), m_engine, error);
}

void TImageDataModule::SetGeneralSQL(const QString& statement) {
    FileImageDataQuery.close();
    FileImageDataQuery.unprepare();
    FileImageDataQuery.setSQL(statement);
}

void TImageDataModule::SetBackupWriteSQL(const QString& statement) {
    BackupImageWriteQuery.close();
    BackupImageWriteQuery.unprepare();
    BackupImageWriteQuery.setSQL(statement);
}

} // namespace kestrova
