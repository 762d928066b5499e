#pragma once

#include "core/db/DataQuery.h"
#include "core/db/DbEngine.h"
#include "core/db/PostgresConfig.h"

#include <QSqlDatabase>
#include <QString>
#include <array>
#include <memory>

namespace kestrova {

class Station;
class TImageDataModule;

// What creating the data module gave: the module, or nothing and the exit code the program ends
// with (the operator has been told why).
struct ImageDataModuleCreation {
    std::unique_ptr<TImageDataModule> module;
    int exitCode = 0;
};

// The image database of the station: the connection "Database1" and the named queries every part
// of the station uses. Each instance has a connection of its own, so several can work side by
// side (as several stations and the LIS do on one database).
class TImageDataModule {
public:
    // How long a statement waits for a row or file another holder has locked before it fails with
    // a "locked by" error.
    static constexpr int DefaultLockWaitMs = 5000;

    // Finds the database below the station's program directory, recreating the embedded file from
    // the blank template when it is missing (with the operator's messages), or uses the PostgreSQL
    // server named in ImageDatabase/postgresql.uri when that file exists.
    static ImageDataModuleCreation Create(Station& station);

    // A module on an embedded SQLite file as it is (no location rules, no messages).
    TImageDataModule(Station& station, const QString& sqliteFile);
    // A module on a PostgreSQL server.
    TImageDataModule(Station& station, const PostgresConfig& server);
    ~TImageDataModule();
    TImageDataModule(const TImageDataModule&) = delete;
    TImageDataModule& operator=(const TImageDataModule&) = delete;

    DbEngine engine() const { return m_engine; }
    QString connectionName() const { return m_connectionName; }
    // Where the data lives: the database file, or the server without its password.
    QString location() const { return m_location; }
    // The connection; it opens on the first statement that needs it and stays open.
    QSqlDatabase Database1() const;
    // Opens the connection when it is not open; false with the reason otherwise.
    bool ensureOpen(QString* error = nullptr);
    // Counts up whenever the connection is opened anew; queries prepared before must prepare again.
    quint64 generation() const { return m_generation; }
    // A statement found the connection gone: the next statement opens it again.
    void connectionLost();
    // Takes effect when the connection is next opened.
    void setLockWaitMs(int ms) { m_lockWaitMs = ms; }
    int lockWaitMs() const { return m_lockWaitMs; }

    // Replace the statement of FileImageDataQuery / BackupImageWriteQuery (close, unprepare, set).
    void SetGeneralSQL(const QString& statement);
    void SetBackupWriteSQL(const QString& statement);

    // Adds the columns an older database lacks, logging each one added (run after the setup
    // file has been read).
    void UpgradeDatabaseSchema();

    Station& station() const { return m_station; }

    DataQuery ImageDataQuery{*this};
    DataQuery FileImageDataQuery{*this};
    DataQuery BackupImageDataQuery{*this};
    DataQuery BackupImageWriteQuery{
        *this, {QStringLiteral("Update ImageData"), QStringLiteral(" Set CDWriteTime = :QCDWriteTime, ")}};
    DataQuery AdminQuery{*this};
    DataQuery LISinfoQuery{*this,
                           {QStringLiteral("select count(reqid) as wLIS from ImageData"),
                            QStringLiteral("where ((cdwritetime is not null) or (ZipName is not null)) and"),
                            QStringLiteral("SentToSystem = false")}};
    DataQuery imageQuery{*this};
    DataQuery VerfifedImageQuery{
        *this, {QStringLiteral("update imagedata set Verified = :QVerified where SeqNumber = :QSeqNumber")}};
    DataQuery ColumnCheckQuery{*this};
    DataQuery VerifyZipFileQuery{*this,
                                 {QStringLiteral("select *   "), QStringLiteral("from Imagedata     "),
                                  QStringLiteral("where ZipName = :QZipName")}};

private:
    TImageDataModule(Station& station, DbEngine engine);
    bool openSqlite(QSqlDatabase& db, QString& error);
    bool openPostgres(QSqlDatabase& db, QString& error);
    void releaseQueries();
    std::array<DataQuery*, 10> queries();

    Station& m_station;
    DbEngine m_engine;
    QString m_connectionName;
    QString m_location;
    bool m_lost = false;
    int m_lockWaitMs = DefaultLockWaitMs;
    quint64 m_generation = 0;
};

} // namespace kestrova
