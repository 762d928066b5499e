// The station and the LIS on one database: the LIS (another process) reads and marks rows while
// two connections of the station insert and update; no row is lost and the only failures are
// "locked by" errors, which the station's passes leave for a later attempt.
#include "DbTestSupport.h"

#include "core/db/DbErrors.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <chrono>

using namespace kestrova;
using namespace kestrova::test;

namespace {

const char* const LisEngineVar = "KESTROVA_LIS_ENGINE";
const char* const LisTargetVar = "KESTROVA_LIS_TARGET";
const char* const LisStopVar = "KESTROVA_LIS_STOP";

// Retries a statement that failed because another holder had the rows locked, as a later pass
// of the station would; any other failure ends the test.
void RunUntilDone(DataQuery& q, int& lockFailures) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (q.execSQL()) return;
        ASSERT_TRUE(q.lockError()) << q.errorText().toStdString();
        EXPECT_TRUE(q.errorText().contains("locked by", Qt::CaseInsensitive));
        ++lockFailures;
    }
    FAIL() << "still locked after 100 attempts";
}

class Concurrency : public ::testing::TestWithParam<DbEngine> {};

} // namespace

// Not a test of its own: the concurrency test starts this program again to run it as the LIS.
TEST(ImageDatabaseLis, DISABLED_StandIn) {
    const DbEngine engine = qgetenv(LisEngineVar) == "PostgreSQL" ? DbEngine::PostgreSQL : DbEngine::SQLite;
    const QString stop = QString::fromLocal8Bit(qgetenv(LisStopVar));
    ASSERT_FALSE(stop.isEmpty()) << "run only by the concurrency test";
    const QString yes = TrueLiteral(engine), no = FalseLiteral(engine);
    int marked = 0, reads = 0, lockErrors = 0, otherErrors = 0;
    QString lastError;
    {
        QSqlDatabase db = PeerConnection(engine, QString::fromLocal8Bit(qgetenv(LisTargetVar)), "lis");
        ASSERT_TRUE(db.isOpen()) << db.lastError().text().toStdString();
        std::printf("LIS ready\n");
        std::fflush(stdout);
        QSqlQuery q(db);
        auto note = [&](const QSqlError& e) {
            if (IsLockError(e, engine)) {
                ++lockErrors;
            } else {
                ++otherErrors;
                lastError = e.text();
            }
        };
        for (bool last = false; !last;) {
            last = QFileInfo::exists(stop); // one more sweep after the stop request
            if (q.exec("SELECT count(*) FROM ImageData WHERE SentToSystem = " + no + " AND CDWriteTime IS NOT NULL"))
                ++reads;
            else
                note(q.lastError());
            if (q.exec("UPDATE ImageData SET SentToSystem = " + yes + " WHERE SentToSystem = " + no +
                       " AND CDWriteTime IS NOT NULL"))
                marked += q.numRowsAffected();
            else
                note(q.lastError());
            QThread::msleep(2);
        }
    }
    QSqlDatabase::removeDatabase("lis");
    std::printf("LIS marked=%d reads=%d lockErrors=%d otherErrors=%d last=%s\n", marked, reads, lockErrors, otherErrors,
                qPrintable(lastError));
}

TEST_P(Concurrency, TheLisMarksRowsWhileTwoStationConnectionsWriteAndNoRowIsLost) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    std::unique_ptr<TImageDataModule> second = s.another();
    TImageDataModule* writers[] = {&s.db(), second.get()};

    const QString stop = s.temp().path("lis.stop");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(LisEngineVar, GetParam() == DbEngine::SQLite ? "SQLite" : "PostgreSQL");
    env.insert(LisTargetVar, s.target());
    env.insert(LisStopVar, stop);
    const std::unique_ptr<QProcess> lis = StartStandIn("ImageDatabaseLis.DISABLED_StandIn", env);
    ASSERT_TRUE(lis->waitForStarted());
    ASSERT_TRUE(lis->waitForReadyRead(60000)) << "the LIS stand-in did not start";

    constexpr int Rows = 200;
    int lockFailures = 0;
    for (int i = 1; i <= Rows; ++i) {
        // Insert through one connection, record the zip through the other, complete every tenth.
        TImageDataModule& a = *writers[i % 2];
        TImageDataModule& b = *writers[(i + 1) % 2];
        a.SetGeneralSQL("insert into Imagedata (SeqNumber, ReqID, DocDefn, Scantime, ViewTime, SentToSystem )"
                        " values ( :QSeqNumber, :QReqID, :QDocDefn, :QScantime, :QViewTime, :QSenttoSystem)");
        a.FileImageDataQuery.setParamInteger("QSeqNumber", i);
        a.FileImageDataQuery.setParamText("QReqID", QString::number(100000 + i));
        a.FileImageDataQuery.setParamText("QDocDefn", "REQS1");
        a.FileImageDataQuery.setParamDateTime("QScanTime", 45000.0 + i / 1000.0);
        a.FileImageDataQuery.setParamDateTime("QViewTime", 45000.0 + i / 1000.0);
        a.FileImageDataQuery.setParamYesNo("QSenttoSystem", false);
        ASSERT_NO_FATAL_FAILURE(RunUntilDone(a.FileImageDataQuery, lockFailures));

        const QString zip = QStringLiteral("10~%1").arg((i - 1) / 10);
        b.SetBackupWriteSQL("Update ImageData Set ZipName = :QZipname where SeqNumber = :QSeqNum");
        b.BackupImageWriteQuery.setParamText("QZipname", zip);
        b.BackupImageWriteQuery.setParamInteger("QSeqNum", i);
        ASSERT_NO_FATAL_FAILURE(RunUntilDone(b.BackupImageWriteQuery, lockFailures));
        EXPECT_EQ(b.BackupImageWriteQuery.rowsAffected(), 1) << "row " << i << " not seen by the other connection";

        if (i % 10 == 0) {
            a.SetBackupWriteSQL("Update ImageData Set CDWriteTime = :QCDWriteTime, SentToSystem = :QCSentToSystem, "
                                "CDLabel = :QCDlabel where Zipname = :QZipName");
            a.BackupImageWriteQuery.setParamDateTime("QCDWriteTime", 45001.0);
            a.BackupImageWriteQuery.setParamYesNo("QCSentToSystem", false);
            a.BackupImageWriteQuery.setParamText("QCDlabel", "CD0001");
            a.BackupImageWriteQuery.setParamText("QZipName", zip);
            ASSERT_NO_FATAL_FAILURE(RunUntilDone(a.BackupImageWriteQuery, lockFailures));
            EXPECT_EQ(a.BackupImageWriteQuery.rowsAffected(), 10);
            // The station's LIS counter reads while the LIS writes.
            if (!b.LISinfoQuery.open()) {
                EXPECT_TRUE(b.LISinfoQuery.lockError()) << b.LISinfoQuery.errorText().toStdString();
            }
            b.LISinfoQuery.close();
        }
    }

    // Let the LIS take the last rows, then stop it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Scalar(s.db(), "select count(*) from ImageData where SentToSystem = false") != "0" &&
           std::chrono::steady_clock::now() < deadline)
        QThread::msleep(20);
    QFile(stop).open(QIODevice::WriteOnly);
    ASSERT_TRUE(lis->waitForFinished(60000));
    const QString report = QString::fromLocal8Bit(lis->readAll());
    const QString summary = report.mid(report.indexOf("LIS marked=")).section('\n', 0, 0);
    RecordProperty("lis", summary.trimmed().toStdString());
    RecordProperty("station_lock_failures", lockFailures);
    EXPECT_TRUE(summary.contains(QStringLiteral("LIS marked=%1 ").arg(Rows))) << report.toStdString();
    EXPECT_TRUE(summary.contains("otherErrors=0 ")) << report.toStdString();

    EXPECT_EQ(Scalar(s.db(), "select count(*) from ImageData"), QString::number(Rows));
    EXPECT_EQ(Scalar(s.db(), "select count(*) from ImageData where CDWriteTime is not null and ZipName like \"10~*\" "
                             "and CDLabel = \"CD0001\" and SentToSystem = True"),
              QString::number(Rows));
    EXPECT_EQ(Scalar(*second, "select * from NextSeq"), QString::number(Rows + 1));
}

TEST_P(Concurrency, AnotherHoldersLockReachesTheCallerAsALockedByError) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    InsertImage(s.db(), 1, "12345", "REQS1");
    s.db().setLockWaitMs(300);
    s.db().connectionLost(); // reopen with the short wait
    {
        QSqlDatabase holder = PeerConnection(GetParam(), s.target(), "holder");
        QSqlQuery h(holder);
        ASSERT_TRUE(h.exec(GetParam() == DbEngine::SQLite ? "BEGIN IMMEDIATE" : "BEGIN"));
        ASSERT_TRUE(h.exec("UPDATE ImageData SET CDLabel = 'LIS' WHERE SeqNumber = 1"));

        s.db().SetBackupWriteSQL("Update ImageData Set ZipName = :QZipname where SeqNumber = :QSeqNum");
        s.db().BackupImageWriteQuery.setParamText("QZipname", "12~1");
        s.db().BackupImageWriteQuery.setParamInteger("QSeqNum", 1);
        EXPECT_FALSE(s.db().BackupImageWriteQuery.execSQL());
        EXPECT_TRUE(s.db().BackupImageWriteQuery.lockError());
        EXPECT_TRUE(s.db().BackupImageWriteQuery.errorText().toLower().contains("locked by"))
            << s.db().BackupImageWriteQuery.errorText().toStdString();

        // Reading is not held up by the writer.
        ASSERT_TRUE(s.db().LISinfoQuery.open()) << s.db().LISinfoQuery.errorText().toStdString();
        EXPECT_EQ(s.db().LISinfoQuery.fieldByName("wLIS").asInteger(), 0);
        s.db().LISinfoQuery.close();

        ASSERT_TRUE(h.exec("COMMIT"));
        EXPECT_TRUE(s.db().BackupImageWriteQuery.execSQL()) << s.db().BackupImageWriteQuery.errorText().toStdString();
        h.finish();
        holder.close();
    }
    QSqlDatabase::removeDatabase("holder");
    EXPECT_EQ(Scalar(s.db(), "select CDLabel from ImageData"), "LIS");
    EXPECT_EQ(Scalar(s.db(), "select ZipName from ImageData"), "12~1");
}

TEST_P(Concurrency, APassUpdatesTheRowsItWalksWhileTheLisCommitsBetweenThem) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    TImageDataModule& db = s.db();
    for (int seq = 1; seq <= 5; ++seq) InsertImage(db, seq, QString::number(seq), "D");
    db.setLockWaitMs(300);
    db.connectionLost();
    {
        QSqlDatabase lis = PeerConnection(GetParam(), s.target(), "lis-between");
        QSqlQuery l(lis);
        DataQuery& walk = db.BackupImageDataQuery;
        walk.setSQL({"Select SeqNumber, ReqID, DocDefn, ScanTime from ImageData", "where CDWriteTime is null"});
        ASSERT_TRUE(walk.open()) << walk.errorText().toStdString();
        int updated = 0;
        for (walk.first(); !walk.eof(); walk.next()) {
            ASSERT_TRUE(l.exec(QStringLiteral("UPDATE ImageData SET ImageInfo = 'seen' WHERE SeqNumber = %1")
                                   .arg(walk.fieldByName("SeqNumber").asInteger())));
            db.SetBackupWriteSQL("Update ImageData Set ZipName = :QZipname where SeqNumber = :QSeqNum");
            db.BackupImageWriteQuery.setParamText("QZipname", "1~1");
            db.BackupImageWriteQuery.setParamInteger("QSeqNum", walk.fieldByName("SeqNumber").asInteger());
            EXPECT_TRUE(db.BackupImageWriteQuery.execSQL()) << db.BackupImageWriteQuery.errorText().toStdString();
            updated += db.BackupImageWriteQuery.rowsAffected();
        }
        walk.close();
        EXPECT_EQ(updated, 5);
        l.finish();
        lis.close();
    }
    QSqlDatabase::removeDatabase("lis-between");
    EXPECT_EQ(Scalar(db, "select count(*) from ImageData where ZipName = \"1~1\" and ImageInfo = \"SEEN\""), "5");
}

INSTANTIATE_TEST_SUITE_P(Engines, Concurrency, ::testing::Values(DbEngine::SQLite, DbEngine::PostgreSQL), EngineName);
