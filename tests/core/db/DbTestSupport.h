#pragma once

#include "core/db/TImageDataModule.h"
#include "support/DbPeers.h"
#include "support/TempStation.h"

#include <gtest/gtest.h>
#include <memory>

namespace kestrova::test {

// The blank database the build makes beside the programs.
QString BlankTemplatePath();

// A station in a temporary program directory with a data module on a fresh image database of
// the engine: a copy of the blank template, or a new database on the test cluster.
class DbStation {
public:
    // Current: the blank template of this build. Older: a database made from an older template,
    // without the columns ZipName, BarcodeData, Verified, ImageInfo and Replicated.
    enum class Template { Current, Older };
    explicit DbStation(DbEngine engine, Template made = Template::Current);
    ~DbStation();

    bool ready() const { return m_module != nullptr; }
    const QString& skipReason() const { return m_skip; }
    DbEngine engine() const { return m_engine; }
    Station& station() { return m_ts.station; }
    TempStation& temp() { return m_ts; }
    TImageDataModule& db() { return *m_module; }
    // Another data module on the same database, as a second station would have.
    std::unique_ptr<TImageDataModule> another();
    // Where the database is: the SQLite file or the server URI.
    const QString& target() const { return m_target; }

private:
    DbEngine m_engine;
    TempStation m_ts;
    std::unique_ptr<TImageDataModule> m_module;
    QString m_target;
    QString m_skip;
};

// Runs an Access-dialect statement on AdminQuery and fails the test on error.
void Exec(TImageDataModule& db, const QString& statement);
// Inserts a row as the convert pass does.
void InsertImage(TImageDataModule& db, qint32 seq, const QString& reqId, const QString& docDefn,
                 TDateTime scanTime = 45000.5, bool sentToSystem = false);
// The value of the first field of the first row of a query.
QString Scalar(TImageDataModule& db, const QString& statement);

// The messages of the event log, oldest first, without their time stamps.
QStringList LoggedMessages(const Station& station);

} // namespace kestrova::test

// Skips the test when the engine cannot run here (PostgreSQL without its server binaries).
#define KESTROVA_NEED_DB(s)                                                                                            \
    if (!(s).ready()) GTEST_SKIP() << (s).skipReason().toStdString()
