// The backup pass killed at each of its steps, then run again until nothing waits: every image
// ends on the media (or in its open zip file, or on the scan server) exactly once, and every row
// is recorded against the place that holds its image.
#include "support/StationDir.h"
#include "support/StoredImages.h"
#include "support/TestFiles.h"
#include "support/ZipCheck.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace kestrova;
using kestrova::test::StationDir;

namespace {

struct Row {
    QString key;
    QString zipName;
    QString writeTime;
    QString label;
};

// Rows and local copies of n stored images of group 12.
void Stock(const StationDir& station, int n) {
    test::StockStoredImages(station, "12", 1, n,
                            [](const QString& req) { return QByteArray("image ") + req.toUtf8().repeated(50); });
}

QList<Row> Rows(const StationDir& station) {
    QList<Row> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "rows");
        db.setDatabaseName(station.path("ImageDatabase/KestrovaImageData.mdb"));
        EXPECT_TRUE(db.open());
        QSqlQuery q("select ReqID || '~' || DocDefn, ZipName, CDWriteTime, CDLabel from ImageData order by SeqNumber",
                    db);
        while (q.next())
            rows.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
    }
    QSqlDatabase::removeDatabase("rows");
    return rows;
}

test::KestrovaRun Backup(StationDir& station, const QString& fault = {}) {
    station.faultPoint = fault;
    const test::KestrovaRun run = test::RunKestrova(station, {"backup"});
    station.faultPoint.clear();
    return run;
}

} // namespace

TEST(BackupCrash, AZipPassKilledAtAnyStepIsSettledByTheNext) {
    // Each fault with the number of clean passes before it: 110 rows fill one zip file in the
    // second pass (its 50th row is the 100th) and start the next in the third.
    const QList<QPair<QString, int>> faults{
        {"backup.journal#7", 0},
        {"backup.archived#7", 0},
        {"backup.zipname#7", 0},
        {"backup.archived#50", 1},
        {"zip.media-copied#1", 1},
        {"zip.media-renamed#1", 1},
        {"backup.zipname#50", 1},
        {"backup.completed#1", 1},
        {"backup.journal#3", 2},
        // Inside a batch: images added but the zip file not written yet; the zip file written but
        // no row recorded; one row's update made inside the batch's transaction; the rows recorded
        // and the completed zip file moved but not marked.
        {"backup.archived#45", 1},
        {"backup.batch-written#1", 0},
        {"backup.zipname#13", 0},
        {"backup.batch-recorded#1", 1}};
    for (const auto& [fault, before] : faults) {
        SCOPED_TRACE(fault.toStdString());
        StationDir station;
        Stock(station, 110);
        for (int i = 0; i < before; ++i) ASSERT_EQ(Backup(station).exitCode, 0);
        EXPECT_TRUE(Backup(station, fault).killed) << "the fault point was not reached";
        for (int i = 0; i < 4; ++i) {
            const test::KestrovaRun again = Backup(station);
            EXPECT_EQ(again.exitCode, 0) << again.out.toStdString() << again.err.toStdString();
        }
        const QList<Row> rows = Rows(station);
        ASSERT_EQ(rows.size(), 110);
        QMap<QString, QString> zipOf; // entry key -> the zip name holding it
        QStringList keys;
        for (const QString& dir : {station.path("backup"), station.path("local/ZipFiles")}) {
            for (const QString& file : test::FilesBelow(dir, QDir::Hidden)) {
                EXPECT_TRUE(file.endsWith(".zip")) << "left behind: " << file.toStdString();
                if (!file.endsWith(".zip")) continue;
                const QString name = QFileInfo(file).completeBaseName();
                for (const QString& entry : test::CheckedZipEntries(dir + "/" + file)) {
                    keys << QFileInfo(entry).completeBaseName();
                    zipOf[QFileInfo(entry).completeBaseName()] = name;
                }
            }
        }
        EXPECT_EQ(keys.size(), 110) << "every image exactly once";
        EXPECT_EQ(test::FilesBelow(station.path("backup"), QDir::Hidden).size(), 1);
        for (const Row& r : rows) {
            EXPECT_EQ(r.zipName, zipOf.value(r.key)) << r.key.toStdString();
            const bool onMedia = QFile::exists(station.path("backup/12/" + r.zipName + ".zip"));
            EXPECT_EQ(!r.writeTime.isEmpty(), onMedia) << r.key.toStdString();
            if (onMedia) {
                EXPECT_EQ(r.label, "Local Images");
            }
        }
        EXPECT_FALSE(QFile::exists(station.path("local/.kestrova-backup")));
    }
}

TEST(BackupCrash, ARemotePassKilledAtAnyStepIsSettledByTheNext) {
    for (const QString fault :
         {"backup.remote-copied#2", "backup.remote-renamed#2", "backup.remote-deleted#2", "backup.remote-recorded#2"}) {
        SCOPED_TRACE(fault.toStdString());
        StationDir station;
        ASSERT_TRUE(station.replaceInSetup("16|Operating Mode|SINGLE|", "16|Operating Mode|REMOTE|"));
        Stock(station, 4);
        EXPECT_TRUE(Backup(station, fault).killed) << "the fault point was not reached";
        const test::KestrovaRun again = Backup(station);
        EXPECT_EQ(again.exitCode, 0) << again.out.toStdString() << again.err.toStdString();
        QStringList expected;
        for (const Row& r : Rows(station)) {
            EXPECT_EQ(r.zipName, "NA");
            EXPECT_EQ(r.label, "Scan Server");
            EXPECT_FALSE(r.writeTime.isEmpty());
            expected << r.key + ".tif";
        }
        expected.sort();
        EXPECT_EQ(test::FilesBelow(station.path("backup"), QDir::Hidden), expected);
        EXPECT_TRUE(test::FilesBelow(station.path("local"), QDir::Hidden).filter(".tif").isEmpty());
    }
}
