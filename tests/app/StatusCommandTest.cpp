#include "support/StationDir.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

using kestrova::test::StationDir;

namespace {

struct StatusRun {
    int exitCode = -1;
    QJsonObject json;
    QString err;
};

StatusRun RunStatus(const StationDir& station) {
    const kestrova::test::KestrovaRun run = kestrova::test::RunKestrova(station, {"status"});
    return {run.exitCode, QJsonDocument::fromJson(run.out.toUtf8()).object(), run.err};
}

void AddAwaitingRows(const QString& file, int rows) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "status-command-test");
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (int i = 1; i <= rows; ++i)
            ASSERT_TRUE(q.exec(QString("insert into ImageData (SeqNumber, ReqID, DocDefn, SentToSystem) "
                                       "values (%1, 'R%1', 'REQ', 0)")
                                   .arg(i)));
    }
    QSqlDatabase::removeDatabase("status-command-test");
}

} // namespace

TEST(StatusCommand, PrintsTheCountersDrivesAndMediumOfAStation) {
    StationDir station;
    const QString database = station.path("ImageDatabase/KestrovaImageData.mdb");
    ASSERT_TRUE(QFile::copy(station.path("ImageDatabase/KestrovaImageDataBlank.mdb"), database));
    QFile::setPermissions(database, QFile::permissions(database) | QFile::WriteOwner);
    AddAwaitingRows(database, 3);
    for (const char* name : {"problems/1.tif", "problems/2.bmp", "scan/a.bmp"})
        QFile(station.path(name)).open(QIODevice::WriteOnly);

    StatusRun run = RunStatus(station);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject counters = run.json["counters"].toObject();
    EXPECT_EQ(counters["CDGroupLabel"].toObject()["text"].toString(), "3");
    EXPECT_EQ(counters["ProblemGrpLabel"].toObject()["text"].toString(), "2");
    EXPECT_EQ(counters["ProblemGrpLabel"].toObject()["colour"].toString(), "red");
    EXPECT_EQ(counters["ScannedWaitingLabel"].toObject()["text"].toString(), "1");
    EXPECT_EQ(counters["SystemLabel"].toObject()["text"].toString(), "0");
    EXPECT_EQ(run.json["MediaLabel"].toString(), "Local Images"); // the sample marks slot 7 with "?"
    const QJsonObject backup = run.json["drives"].toObject()["backup"].toObject();
    EXPECT_EQ(backup["group"].toString(), "Disc Media - Local Images");
    EXPECT_GT(backup["TotalSpace"].toInteger(), 0);
    EXPECT_LE(backup["FreeSpace"].toInteger(), backup["TotalSpace"].toInteger());
    EXPECT_GE(backup["freePerMille"].toInt(-1), 0);
    EXPECT_TRUE(run.json["messages"].toArray().isEmpty());

    // The backup medium is gone: the box the operator would see goes to standard error.
    QDir(station.path("backup")).removeRecursively();
    run = RunStatus(station);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.json["drives"].toObject()["backup"].toObject()["TotalSpace"].toInteger(), -1);
    ASSERT_EQ(run.json["messages"].toArray().size(), 1);
    EXPECT_EQ(run.json["messages"].toArray()[0].toObject()["caption"].toString(), "Disc Error");
    EXPECT_TRUE(run.err.contains("The Disc Recorder IS NOT WORKING.")) << run.err.toStdString();
}

TEST(StatusCommand, AStationWithoutDatabaseIsReportedNotCreated) {
    StationDir station;
    const StatusRun run = RunStatus(station);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.json["databaseError"].toString().startsWith("no image database")) << run.err.toStdString();
    EXPECT_EQ(run.json["counters"].toObject()["DecodedWaitingLabel"].toObject()["text"].toString(), "0");
    EXPECT_FALSE(QFile::exists(station.path("ImageDatabase/KestrovaImageData.mdb")));
}

// A decoded directory taken away: the counter says so, the directory is named on standard error,
// in the report and in the log, and the command fails; it never reads as "nothing waiting".
TEST(StatusCommand, AMissingWorkingDirectoryIsNamedAndFailsTheCommand) {
    StationDir station;
    const QString database = station.path("ImageDatabase/KestrovaImageData.mdb");
    ASSERT_TRUE(QFile::copy(station.path("ImageDatabase/KestrovaImageDataBlank.mdb"), database));
    QFile::setPermissions(database, QFile::permissions(database) | QFile::WriteOwner);
    ASSERT_TRUE(QDir(station.path("decoded")).removeRecursively());

    const StatusRun run = RunStatus(station);
    EXPECT_EQ(run.exitCode, 1);
    const QString decoded = station.path("decoded/");
    EXPECT_TRUE(run.err.contains("kestrova status: the decoded directory " + decoded + " does not exist"))
        << run.err.toStdString();
    const QJsonObject counter = run.json["counters"].toObject()["DecodedWaitingLabel"].toObject();
    EXPECT_EQ(counter["text"].toString(), "MISSING");
    EXPECT_EQ(counter["colour"].toString(), "red");
    const QJsonArray missing = run.json["missingDirectories"].toArray();
    ASSERT_EQ(missing.size(), 1);
    EXPECT_EQ(missing[0].toObject()["slot"].toInt(), 3);
    EXPECT_EQ(missing[0].toObject()["path"].toString(), decoded);
    const QStringList log = run.json["log"].toVariant().toStringList();
    EXPECT_EQ(log.filter("Directory missing: the decoded directory " + decoded).size(), 1)
        << log.join('\n').toStdString();
}
