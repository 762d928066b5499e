#include "support/StationDir.h"

#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

using namespace kestrova;
using kestrova::test::StationDir;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// A station made from the template runs: the sample forms of a demo station scan, decode and reach
// the store, and its database is made in the station from the blank one.
TEST(InitStationCommand, MakesAStationThatScansDecodesAndStores) {
    StationDir scratch;
    const QString station = scratch.path(QStringLiteral("new station"));
    const test::KestrovaRun made = test::RunKestrova(scratch, {"init-station", station, "--demo"});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();

    for (const char* d : {"scan", "problems", "decoded", "store", "local/ZipFiles", "media", "logs", "feeder"})
        EXPECT_TRUE(QDir(station + QLatin1Char('/') + QLatin1String(d)).exists()) << d;
    for (const char* f :
         {"scanner.conf", "qvimageset.tif", "ImageDatabase/KestrovaImageDataBlank.mdb", "Referral Code 39.stp"})
        EXPECT_TRUE(QFile::exists(station + QLatin1Char('/') + QLatin1String(f))) << f;
    const QByteArray setup = ReadAll(station + QStringLiteral("/kestrova.inf"));
    EXPECT_TRUE(setup.contains(("1|Scan Directory|" + station + "/scan/|").toUtf8()));
    EXPECT_FALSE(setup.contains("@STATION@"));
    EXPECT_EQ(setup.count("\r\n"), setup.count("\n"));

    // A second run changes nothing.
    QFile::remove(station + QStringLiteral("/scanner.conf"));
    const test::KestrovaRun again = test::RunKestrova(scratch, {"init-station", station});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains("already a station")) << again.err.toStdString();
    EXPECT_FALSE(QFile::exists(station + QStringLiteral("/scanner.conf")));
    QFile conf(station + QStringLiteral("/scanner.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("source = folder\nfolder = feeder\n");
    conf.close();

    StationDir runner;
    QProcessEnvironment env = runner.environment();
    env.insert(QStringLiteral("KESTROVA_PROGRAM_DIR"), station);
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(station);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KESTROVA_BIN_DIR "/kestrova"), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
    };
    EXPECT_EQ(run({"scan"}).first, 0);
    EXPECT_EQ(run({"decode-batch"}).first, 0);
    const auto converted = run({"convert"});
    EXPECT_EQ(converted.first, 0) << converted.second.toStdString();
    EXPECT_TRUE(converted.second.contains("4 found, 4 stored, 0 left after errors")) << converted.second.toStdString();
    EXPECT_TRUE(QFile::exists(station + QStringLiteral("/ImageDatabase/KestrovaImageData.mdb")));
}

TEST(InitStationCommand, RefusesBadArguments) {
    StationDir scratch;
    const struct {
        QStringList args;
        int exitCode;
    } cases[] = {
        {{"init-station"}, 2},
        {{"init-station", "--demo"}, 2},
        {{"init-station", "a", "b"}, 2},
        {{"init-station", scratch.path(QStringLiteral("a|b"))}, 1},
        {{"init-station", scratch.path(QStringLiteral("tab\there"))}, 1},
    };
    for (const auto& c : cases) {
        const test::KestrovaRun run = test::RunKestrova(scratch, c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_FALSE(QFile::exists(scratch.path(QStringLiteral("a|b"))));
    const test::KestrovaRun version = test::RunKestrova(scratch, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^kestrova \\(KestrovaNT\\) \\S+\\n$")).match(version.out).hasMatch())
        << version.out.toStdString();
}

// The store cycle runs until SIGTERM and then ends cleanly; a station it cannot run ends it at once.
TEST(StoreCycleCommand, RunsUntilTerminatedAndRefusesABrokenStation) {
    StationDir station;
    QProcess p;
    p.setWorkingDirectory(station.dir.path());
    p.setProcessEnvironment(station.environment());
    p.start(QStringLiteral(KESTROVA_BIN_DIR "/kestrova"), {"store-cycle"});
    ASSERT_TRUE(p.waitForStarted());
    QByteArray out;
    for (int i = 0; i < 100 && !out.contains("Store cycle of"); ++i) {
        p.waitForReadyRead(200);
        out += p.readAllStandardOutput();
    }
    ASSERT_TRUE(out.contains("Store cycle of " + station.dir.path().toUtf8() + "/ running")) << out.toStdString();
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE((out + p.readAllStandardOutput()).contains("Store cycle stopped."));

    EXPECT_EQ(test::RunKestrova(station, {"store-cycle", "--setup", station.path("missing.inf")}).exitCode, 1);
    EXPECT_EQ(test::RunKestrova(station, {"store-cycle", "--bad"}).exitCode, 2);
}
