#include "support/StationDir.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

using kestrova::test::RunKestrova;
using kestrova::test::StationDir;

TEST(AdminCommands, QueryPromptsFromParamsGuardsAndStreamsRows) {
    StationDir station;
    auto run = [&](const QStringList& args) { return RunKestrova(station, args); };
    auto r = run({"query", "insert into ImageData (SeqNumber, ReqID, DocDefn, ScanTime, CDWriteTime, CDLabel) "
                           "values (1, \"12345\", \"REQ\", [2004-05-06 10:00], [2004-05-07], \"DISC1\")"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), "Successful Update: 1 entries updated.");

    r = run({"query", "select ReqID, DocDefn\nfrom :QTable\nwhere ReqID = \":QReqId\" and ScanTime > :QLowDate",
             "--param", "reqid=12345", "--param", "LowDate=2004-05-01"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed().split('\n'), (QStringList{"ReqID\tDocDefn", "12345\tREQ"})) << r.out.toStdString();

    for (const char* refused : {"DROP TABLE ImageData", "select * from ImageData; drop table ImageData"}) {
        r = run({"query", refused});
        EXPECT_EQ(r.exitCode, 1) << refused;
        EXPECT_TRUE(r.out.isEmpty());
    }
    r = run({"query", "select * from ImageData where ScanTime > [2004-13-40]"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Date 2004-13-40 is invalid.")) << r.err.toStdString();
    r = run({"query", "select count(*) as n from ImageData"});
    EXPECT_TRUE(r.out.contains("\n1")) << r.out.toStdString();
    EXPECT_TRUE(run({"query", "select * from ImageData", "--param"}).exitCode == 2);
}

TEST(AdminCommands, ImagesFindDuplicateAndDelete) {
    StationDir station;
    QDir().mkpath(station.path("store/12"));
    QImage img(1700, 2794, QImage::Format_Mono);
    img.fill(1);
    img.setDotsPerMeterX(10000);
    img.setDotsPerMeterY(10000); // 254 dpi
    ASSERT_TRUE(img.save(station.path("store/12/12345~REQ.tif"), "TIFF"));
    ASSERT_TRUE(img.save(station.path("local/12345~REQ.tif"), "TIFF"));
    auto r =
        RunKestrova(station, {"query", "insert into ImageData (SeqNumber, ReqID, DocDefn, ScanTime, CDWriteTime, "
                                       "CDLabel) values (1, \"12345\", \"REQ\", [2004-05-06], [2004-05-07], \"D1\")"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    r = RunKestrova(station, {"images", "find", "123"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), "12345~REQ.tif");
    EXPECT_TRUE(r.err.contains("Searching for")) << r.err.toStdString();
    EXPECT_TRUE(RunKestrova(station, {"images", "find", "../etc"}).out.trimmed().isEmpty());

    r = RunKestrova(station, {"images", "duplicate", "12345~REQ.tif", "77777"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList decoded = QDir(station.path("decoded")).entryList(QDir::Files);
    ASSERT_EQ(decoded.size(), 1);
    EXPECT_TRUE(decoded[0].startsWith("77777~")) << decoded[0].toStdString();

    EXPECT_EQ(RunKestrova(station, {"images", "delete", "12345~REQ.tif"}).exitCode, 2);
    EXPECT_TRUE(QFile::exists(station.path("store/12/12345~REQ.tif")));
    // The duplicate waits in the decoded directory: nothing may be deleted yet.
    r = RunKestrova(station, {"images", "delete", "12345~REQ.tif", "--yes"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("pending backups")) << r.err.toStdString();
    QFile::remove(station.path("decoded/") + decoded[0]);
    r = RunKestrova(station, {"images", "delete", "12345~REQ.tif", "--yes"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(station.path("store/12/12345~REQ.tif")));
    EXPECT_FALSE(QFile::exists(station.path("local/12345~REQ.tif")));
    r = RunKestrova(station, {"query", "select CDLabel, SentToSystem from ImageData"});
    EXPECT_TRUE(r.out.contains("Deleted\tTrue")) << r.out.toStdString();
}
