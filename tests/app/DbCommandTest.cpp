#include "support/StationDir.h"

#include <QProcess>
#include <gtest/gtest.h>

using kestrova::test::StationDir;

namespace {

using CmdResult = kestrova::test::KestrovaRun;

CmdResult Kestrova(const StationDir& station, const QStringList& args) {
    return kestrova::test::RunKestrova(station, args);
}

} // namespace

TEST(DbCommand, UpgradesQueriesAndChangesTheStationDatabase) {
    StationDir station;
    const CmdResult upgrade = Kestrova(station, {"db", "upgrade"});
    ASSERT_EQ(upgrade.exitCode, 0) << upgrade.err.toStdString();
    EXPECT_TRUE(upgrade.out.contains("is up to date")) << upgrade.out.toStdString();

    const CmdResult insert = Kestrova(station, {"db", "query",
                                                "insert into ImageData (SeqNumber, ReqID, DocDefn) "
                                                "values (7, \"12345678\", \"REQ\")"});
    ASSERT_EQ(insert.exitCode, 0) << insert.err.toStdString();
    EXPECT_TRUE(insert.out.contains("1 rows affected")) << insert.out.toStdString();

    const CmdResult select =
        Kestrova(station, {"db", "query", "select ReqID, DocDefn from ImageData where ReqID like \"1234*\""});
    ASSERT_EQ(select.exitCode, 0) << select.err.toStdString();
    const QStringList lines = select.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << select.out.toStdString();
    EXPECT_EQ(lines[0].toLower(), "reqid\tdocdefn");
    EXPECT_EQ(lines[1], "12345678\tREQ");

    const CmdResult bad = Kestrova(station, {"db", "query", "select nothing from NoSuchTable"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_FALSE(bad.err.isEmpty());
    EXPECT_EQ(Kestrova(station, {"db", "query"}).exitCode, 2);
}
