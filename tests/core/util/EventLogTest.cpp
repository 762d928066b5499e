#include "core/util/EventLog.h"
#include "support/FakeClock.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kestrova;

TEST(EventLog, LinesCarryTheTimeStampAndTheMessageNewestFirst) {
    test::FakeClock clock(QDateTime(QDate(2026, 12, 8), QTime(14, 5, 59)));
    EventLog log(clock);
    log.LogEvent(QStringLiteral("first"));
    clock.advanceMs(60'000);
    log.LogEvent(QStringLiteral("Convert task already running."));
    const QString sep = SystemDateSeparator();
    const QString tsep = SystemTimeSeparator();
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_EQ(log.lines()[0], "08" + sep + "12 14" + tsep + "06" + tsep + " +Convert task already running.");
    EXPECT_EQ(log.lines()[1], "08" + sep + "12 14" + tsep + "05" + tsep + " +first");
}

TEST(EventLog, TrimsFiftyOldestLinesOnceFull) {
    test::FakeClock clock;
    EventLog log(clock);
    for (int i = 0; i < 149; ++i) log.LogEvent(QString::number(i));
    EXPECT_EQ(log.lines().size(), 149);
    log.LogEvent(QStringLiteral("149"));
    EXPECT_EQ(log.lines().size(), 150);
    log.LogEvent(QStringLiteral("150"));
    ASSERT_EQ(log.lines().size(), 101);
    EXPECT_TRUE(log.lines().front().endsWith("+150"));
    EXPECT_TRUE(log.lines().back().endsWith("+50")) << log.lines().back().toStdString();
}

TEST(EventLog, WritesAndRotatesTheLogFile) {
    QTemporaryDir dir;
    test::FakeClock clock;
    EventLog log(clock);
    const QString path = dir.path() + "/logs/kestrova.log";
    ASSERT_TRUE(log.setLogFile(path, 200, 2));
    for (int i = 0; i < 20; ++i) log.LogEvent(QStringLiteral("line %1").arg(i));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(QFile::exists(path + ".1"));
    EXPECT_TRUE(QFile::exists(path + ".2"));
    EXPECT_FALSE(QFile::exists(path + ".3"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("+line 19"));
}
