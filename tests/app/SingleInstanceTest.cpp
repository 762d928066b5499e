#include "support/StationDir.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using kestrova::test::StationDir;

namespace {

const QString Program = QStringLiteral(KESTROVA_BIN_DIR "/KestrovaNT");

void startStation(QProcess& p, const StationDir& station) {
    p.setProgram(Program);
    p.setWorkingDirectory(station.dir.path());
    p.setProcessEnvironment(station.environment());
    p.start();
    p.waitForStarted(10000);
}

// Waits until the running instance answers on its activation socket.
bool waitUntilListening(const QString& key, QProcess& p) {
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        if (p.state() != QProcess::Running) return false;
        QLocalSocket probe;
        probe.connectToServer(key);
        if (probe.waitForConnected(200)) return true;
        QThread::msleep(100);
    }
    return false;
}

bool waitForOutput(QProcess& p, const QByteArray& text, QByteArray& seen) {
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        p.waitForReadyRead(200);
        seen += p.readAllStandardError();
        if (seen.contains(text)) return true;
    }
    return false;
}

} // namespace

TEST(SingleInstance, SecondStartReportsTheRunningStationActivatesItAndExitsZero) {
    StationDir station;
    QProcess first;
    startStation(first, station);
    ASSERT_TRUE(waitUntilListening(station.instanceKey, first)) << first.readAllStandardError().toStdString();

    QProcess second;
    startStation(second, station);
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("KestrovaNT already running."));

    QByteArray seen;
    EXPECT_TRUE(waitForOutput(first, "activated by a second start", seen)) << seen.toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    first.waitForFinished(10000);
}

TEST(SingleInstance, LockLeftByACrashedStationDoesNotBlockTheNextStart) {
    StationDir station;
    QProcess crashed;
    startStation(crashed, station);
    ASSERT_TRUE(waitUntilListening(station.instanceKey, crashed));
    crashed.kill(); // SIGKILL: the lock file and the socket stay behind
    crashed.waitForFinished(10000);

    QProcess next;
    startStation(next, station);
    ASSERT_TRUE(waitUntilListening(station.instanceKey, next)) << next.readAllStandardError().toStdString();
    EXPECT_FALSE(next.readAllStandardError().contains("already running"));
    next.terminate();
    next.waitForFinished(10000);
}
