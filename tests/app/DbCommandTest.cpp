#include "StationDir.h"

#include <QProcess>
#include <gtest/gtest.h>

using kestrova::test::StationDir;

namespace {

struct CmdResult {
    int code;
    QString out;
    QString err;
};

CmdResult Kestrova(const StationDir& station, const QStringList& args) {
    QProcess p;
    p.setProgram(QStringLiteral(KESTROVA_BIN_DIR "/kestrova"));
    p.setArguments(args);
    p.setWorkingDirectory(station.dir.path());
    p.setProcessEnvironment(station.environment());
    p.start();
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(DbCommand, UpgradesQueriesAndChangesTheStationDatabase) {
    StationDir station;
    const CmdResult upgrade = Kestrova(station, {"db", "upgrade"});
    ASSERT_EQ(upgrade.code, 0) << upgrade.err.toStdString();
    EXPECT_TRUE(upgrade.out.contains("is up to date")) << upgrade.out.toStdString();

    const CmdResult insert = Kestrova(station, {"db", "query",
                                                "insert into ImageData (SeqNumber, ReqID, DocDefn) "
                                                "values (7, \"12345678\", \"REQ\")"});
    ASSERT_EQ(insert.code, 0) << insert.err.toStdString();
    EXPECT_TRUE(insert.out.contains("1 rows affected")) << insert.out.toStdString();

    const CmdResult select =
        Kestrova(station, {"db", "query", "select ReqID, DocDefn from ImageData where ReqID like \"1234*\""});
    ASSERT_EQ(select.code, 0) << select.err.toStdString();
    const QStringList lines = select.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << select.out.toStdString();
    EXPECT_EQ(lines[0].toLower(), "reqid\tdocdefn");
    EXPECT_EQ(lines[1], "12345678\tREQ");

    const CmdResult bad = Kestrova(station, {"db", "query", "select nothing from NoSuchTable"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_FALSE(bad.err.isEmpty());
    EXPECT_EQ(Kestrova(station, {"db", "query"}).code, 2);
}
