// Stations side by side on one image database: two station processes convert their pages at the
// same time while a third process marks rows taken as the LIS does. Every page is stored in one
// pass, every row has a number of its own, and nothing is left over.
#include "StoreRig.h"

#include "core/db/DbErrors.h"
#include "core/db/PostgresSchema.h"
#include "support/DbPeers.h"
#include "support/PgCluster.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

#include <chrono>

using namespace kestrova;
using namespace kestrova::storetest;

namespace {

constexpr int PagesPerStation = 200;

const char* const EngineVar = "KESTROVA_SHARED_ENGINE";
const char* const TargetVar = "KESTROVA_SHARED_TARGET";
const char* const RootVar = "KESTROVA_SHARED_ROOT";
const char* const ScannerVar = "KESTROVA_SHARED_SCANNER";
const char* const GoVar = "KESTROVA_SHARED_GO";
const char* const StopVar = "KESTROVA_SHARED_STOP";

QString Env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}
DbEngine EnvEngine() {
    return Env(EngineVar) == QLatin1String("PostgreSQL") ? DbEngine::PostgreSQL : DbEngine::SQLite;
}

void WaitFor(const QString& file) {
    while (!QFileInfo::exists(file)) QThread::msleep(2);
}

// A line "key=value ..." of a child's output: the value of key, or -1.
int Reported(const QString& output, const QString& key) {
    const qsizetype at = output.indexOf(key + QLatin1Char('='));
    if (at < 0) return -1;
    return output.mid(at + key.size() + 1).section(QLatin1Char(' '), 0, 0).section(QLatin1Char('\n'), 0, 0).toInt();
}

class SharedDatabase : public ::testing::TestWithParam<DbEngine> {};

} // namespace

// Run by the test below as a station of its own: waits for the start signal, makes the tables
// when the server has none (as a station starting on an empty database does), runs one convert
// pass and reports it.
TEST(SharedDatabaseStation, DISABLED_StandIn) {
    ASSERT_FALSE(Env(GoVar).isEmpty()) << "run only by the shared database test";
    StoreRig rig(Env(RootVar), Env(ScannerVar), EnvEngine(), Env(TargetVar));
    ASSERT_TRUE(rig.db);
    rig.station.ui.ServerGroupVisible = true; // new rows wait for the LIS
    std::printf("station ready\n");
    std::fflush(stdout);
    WaitFor(Env(GoVar));
    int created = 0;
    if (EnvEngine() == DbEngine::PostgreSQL) {
        ASSERT_TRUE(rig.db->ensureOpen());
        const SchemaResult schema = EnsurePostgresSchema(rig.db->Database1());
        ASSERT_TRUE(schema.ok) << schema.error.toStdString();
        created = schema.created ? 1 : 0;
    }
    const ConvertSummary summary = rig.run();
    std::printf("station created=%d stored=%d failed=%d kept=%d\n", created, summary.stored, summary.failed,
                summary.kept);
    for (const QString& line : rig.log()) std::printf("log: %s\n", qPrintable(line));
}

// Run by the test below as the LIS: marks the rows it finds as taken and touches the newest row,
// until told to stop (and one sweep more).
TEST(SharedDatabaseLis, DISABLED_StandIn) {
    const QString stop = Env(StopVar);
    ASSERT_FALSE(stop.isEmpty()) << "run only by the shared database test";
    const DbEngine engine = EnvEngine();
    int marked = 0, lockErrors = 0, otherErrors = 0;
    QString last;
    {
        QSqlDatabase db = test::PeerConnection(engine, Env(TargetVar), QStringLiteral("lis"));
        ASSERT_TRUE(db.isOpen()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        std::printf("LIS ready\n");
        std::fflush(stdout);
        const QString yes = test::TrueLiteral(engine), no = test::FalseLiteral(engine);
        for (bool lastSweep = false; !lastSweep;) {
            lastSweep = QFileInfo::exists(stop);
            // The tables may not be there yet on a server the stations are still setting up.
            const bool ok =
                q.exec(QStringLiteral("UPDATE ImageData SET SentToSystem = %1 WHERE SentToSystem = %2").arg(yes, no)) &&
                ((marked += q.numRowsAffected()), true) &&
                q.exec(QStringLiteral("UPDATE ImageData SET ImageInfo = 'taken' WHERE SeqNumber = "
                                      "(SELECT max(SeqNumber) FROM ImageData)"));
            if (!ok) {
                const bool noTable = q.lastError().text().contains(QLatin1String("imagedata"), Qt::CaseInsensitive) &&
                                     !QFileInfo::exists(stop);
                if (IsLockError(q.lastError(), engine))
                    ++lockErrors;
                else if (!noTable)
                    ++otherErrors, last = q.lastError().text();
            }
            QThread::msleep(5);
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("lis"));
    std::printf("LIS marked=%d lockErrors=%d otherErrors=%d last=%s\n", marked, lockErrors, otherErrors,
                qPrintable(last));
}

TEST_P(SharedDatabase, TwoStationsConvertAtOnceWithTheLisBesideThemAndEveryPageIsStoredOnce) {
    const DbEngine engine = GetParam();
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    QString target;
    test::PgCluster* cluster = nullptr;
    qint64 serverLogStart = 0;
    if (engine == DbEngine::SQLite) {
        target = root + QStringLiteral("shared.mdb");
        ASSERT_TRUE(QFile::copy(QStringLiteral(KESTROVA_BIN_DIR "/ImageDatabase/KestrovaImageDataBlank.mdb"), target));
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    } else {
        QString why;
        cluster = test::PgCluster::instance(&why);
        if (!cluster) GTEST_SKIP() << why.toStdString();
        target = cluster->createDatabase(&why); // empty: the stations make the tables
        ASSERT_FALSE(target.isEmpty()) << why.toStdString();
        serverLogStart = QFileInfo(cluster->logFile()).size();
    }

    // Each station's pages: one page drawn, copied under 200 names.
    const QStringList scanners{QStringLiteral("S1"), QStringLiteral("S2")};
    QByteArray page;
    {
        StoreRig painter;
        page = test::ReadFileBytes(painter.writePage(QStringLiteral("1~REQS10A1B2.tif")));
        ASSERT_FALSE(page.isEmpty());
    }
    for (int s = 0; s < 2; ++s) {
        const QString decoded = root + scanners[s] + QStringLiteral("/decoded/");
        QDir().mkpath(decoded);
        for (int i = 0; i < PagesPerStation; ++i) {
            ASSERT_TRUE(test::WriteFile(
                decoded + QStringLiteral("%1~REQ%2%3.tif")
                              .arg((s + 1) * 100000 + i)
                              .arg(scanners[s], QStringLiteral("%1").arg(i, 5, 16, QLatin1Char('0')).toUpper()),
                page));
        }
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(EngineVar, engine == DbEngine::SQLite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL"));
    env.insert(TargetVar, target);
    env.insert(GoVar, root + QStringLiteral("go"));
    env.insert(StopVar, root + QStringLiteral("stop"));
    std::unique_ptr<QProcess> lis = test::StartStandIn(QStringLiteral("SharedDatabaseLis.DISABLED_StandIn"), env);
    std::vector<std::unique_ptr<QProcess>> stations;
    for (const QString& scanner : scanners) {
        env.insert(RootVar, root + scanner);
        env.insert(ScannerVar, scanner);
        stations.push_back(test::StartStandIn(QStringLiteral("SharedDatabaseStation.DISABLED_StandIn"), env));
    }
    for (auto& p : stations) {
        ASSERT_TRUE(p->waitForReadyRead(60000)) << "a station did not start";
    }
    ASSERT_TRUE(lis->waitForReadyRead(60000)) << "the LIS stand-in did not start";
    QFile(root + QStringLiteral("go")).open(QIODevice::WriteOnly);

    QStringList outputs;
    for (auto& p : stations) {
        ASSERT_TRUE(p->waitForFinished(120000));
        outputs << QString::fromLocal8Bit(p->readAll());
    }
    QFile(root + QStringLiteral("stop")).open(QIODevice::WriteOnly);
    ASSERT_TRUE(lis->waitForFinished(60000));
    const QString lisOutput = QString::fromLocal8Bit(lis->readAll());

    int created = 0;
    for (int s = 0; s < 2; ++s) {
        const QString& out = outputs[s];
        SCOPED_TRACE(out.toStdString());
        EXPECT_EQ(Reported(out, QStringLiteral("stored")), PagesPerStation);
        EXPECT_EQ(Reported(out, QStringLiteral("failed")), 0);
        EXPECT_FALSE(out.contains(QLatin1String("Error deleting")));
        created += Reported(out, QStringLiteral("created"));
        const QString stationRoot = root + scanners[s] + QLatin1Char('/');
        EXPECT_TRUE(StoreRig::files(stationRoot + QStringLiteral("decoded")).isEmpty());
        EXPECT_EQ(StoreRig::files(stationRoot + QStringLiteral("store")).size(), PagesPerStation);
        // The local images directory holds the copies and nothing else (no leftover of the pass).
        EXPECT_EQ(QDir(stationRoot + QStringLiteral("local")).entryList(QDir::Files | QDir::Hidden).size(),
                  PagesPerStation);
    }
    // On an empty server one station made the tables, the other found them.
    if (engine == DbEngine::PostgreSQL) {
        EXPECT_EQ(created, 1);
    }
    EXPECT_EQ(Reported(lisOutput, QStringLiteral("otherErrors")), 0) << lisOutput.toStdString();

    StoreRig check(root + QStringLiteral("check"), QStringLiteral("S9"), engine, target);
    DataQuery& q = check.db->AdminQuery;
    q.setSQL(QStringLiteral("select count(*) as N, count(distinct SeqNumber) as D, min(SeqNumber) as Lo, "
                            "max(SeqNumber) as Hi from ImageData"));
    ASSERT_TRUE(q.open()) << q.errorText().toStdString();
    EXPECT_EQ(q.fieldByName(QStringLiteral("N")).asInteger(), 2 * PagesPerStation);
    EXPECT_EQ(q.fieldByName(QStringLiteral("D")).asInteger(), 2 * PagesPerStation);
    // No insert failed, so no number was skipped.
    EXPECT_EQ(q.fieldByName(QStringLiteral("Lo")).asInteger(), 1);
    EXPECT_EQ(q.fieldByName(QStringLiteral("Hi")).asInteger(), 2 * PagesPerStation);
    q.close();
    q.setSQL(QStringLiteral("select NextSeqNum from NextSeq"));
    ASSERT_TRUE(q.open());
    EXPECT_EQ(q.fieldByName(QStringLiteral("NextSeqNum")).asInteger(), 2 * PagesPerStation + 1);
    q.close();

    if (cluster) {
        // The server saw no refused insert.
        QFile log(cluster->logFile());
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        log.seek(serverLogStart);
        const QString text = QString::fromLocal8Bit(log.readAll());
        EXPECT_FALSE(text.contains(QLatin1String("duplicate key"))) << text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, SharedDatabase, ::testing::Values(DbEngine::SQLite, DbEngine::PostgreSQL),
                         test::EngineName);
