#include "core/util/FileUtil.h"
#include "support/FakeClock.h"

#include "QtPrint.h"
#include "support/TestFiles.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kestrova;

namespace {

void WriteFile(const QString& path, const QByteArray& content = "x") {
    test::WriteBytes(path, content);
}
using test::ReadFileBytes;

} // namespace

TEST(MoveFileChecked, ReportsEveryFailureInItsText) {
    QTemporaryDir tmp;
    const QString src = tmp.path() + "/src";
    const QString dst = tmp.path() + "/dst/";
    ASSERT_TRUE(QDir().mkpath(src) && QDir().mkpath(dst) && QDir().mkpath(src + "/adir"));
    WriteFile(src + "/a.tif", "image");
    WriteFile(dst + "taken.tif");

    const struct {
        const char* sourceName;
        QString destDir;
        const char* destName;
        const char* result;
    } cases[] = {
        {"", dst, "b.tif", "ERROR - no source filename"},          {"   ", dst, "b.tif", "ERROR - no source filename"},
        {"missing.tif", dst, "b.tif", "ERROR - no source file"},   {"adir", dst, "b.tif", "ERROR - no source file"},
        {"a.tif", dst, "taken.tif", "ERROR - destination exists"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MoveFileChecked(src, c.sourceName, c.destDir, c.destName), c.result) << c.sourceName;
    }
    EXPECT_EQ(MoveFileChecked(src, "a.tif", tmp.path() + "/nowhere", "a.tif"), "ERROR - system error 2");
    EXPECT_EQ(ReadFileBytes(src + "/a.tif"), "image");
}

TEST(MoveFileChecked, RenamesAndMovesBetweenDirectories) {
    QTemporaryDir tmp;
    const QString src = tmp.path() + "/src/";
    const QString dst = tmp.path() + "/dst";
    ASSERT_TRUE(QDir().mkpath(src) && QDir().mkpath(dst));
    WriteFile(src + "12345678~REQ.tmp", "one");
    EXPECT_EQ(MoveFileChecked(src, "12345678~REQ.tmp", src, "12345678~REQ.tif"), "OK");
    EXPECT_EQ(ReadFileBytes(src + "12345678~REQ.tif"), "one");
    EXPECT_FALSE(QFile::exists(src + "12345678~REQ.tmp"));

    // An empty destination name keeps the source name.
    EXPECT_EQ(MoveFileChecked(src.chopped(1), "12345678~REQ.tif", dst, " "), "OK");
    EXPECT_EQ(ReadFileBytes(dst + "/12345678~REQ.tif"), "one");
    EXPECT_FALSE(QFile::exists(src + "12345678~REQ.tif"));
}

TEST(MoveFileChecked, MovesAcrossFileSystems) {
    QTemporaryDir tmp;
    QTemporaryDir other(QStringLiteral("/dev/shm/kestrova-move-XXXXXX"));
    struct stat a {};
    struct stat b {};
    if (!other.isValid() || stat(QFile::encodeName(tmp.path()).constData(), &a) != 0 ||
        stat(QFile::encodeName(other.path()).constData(), &b) != 0 || a.st_dev == b.st_dev) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    WriteFile(tmp.path() + "/a.tif", "across");
    EXPECT_EQ(MoveFileChecked(tmp.path(), "a.tif", other.path(), ""), "OK");
    EXPECT_EQ(ReadFileBytes(other.path() + "/a.tif"), "across");
    EXPECT_FALSE(QFile::exists(tmp.path() + "/a.tif"));
}

TEST(MaskedSubPath, CollectsTheNameCharactersAtTheStars) {
    const struct {
        const char* name;
        const char* mask;
        const char* result;
    } cases[] = {
        {"12345678~REQ.tif", "**", "12/12345678~REQ.tif"},
        {"12345678~REQ.tif", "??**", "34/12345678~REQ.tif"},
        {"12345678~REQ.tif", "*?*", "13/12345678~REQ.tif"},
        {"12345678~REQ.tif", "", "/12345678~REQ.tif"},
        {"12345678~REQ.tif", "??", "/12345678~REQ.tif"},
        {"ab", "****", "ab/ab"},
        {"", "**", "/"},
        {"123*.*", "***", "123/123*.*"},
    };
    for (const auto& c : cases) EXPECT_EQ(MaskedSubPath(c.name, c.mask), QString(c.result)) << c.name << " " << c.mask;
}

TEST(UniqueNameSuffix, LastFiveHexDigitsOfTheMillisecondsSinceMidnight) {
    QTemporaryDir tmp;
    test::FakeClock clock;
    const QDate day(2026, 12, 8);
    const struct {
        QTime time;
        const char* suffix;
    } cases[] = {
        {QTime(0, 0), "0"},
        {QTime(0, 0, 0, 10), "A"},
        {QTime(0, 1, 5, 535), "FFFF"},
        {QTime(0, 1, 5, 536), "10000"},
        {QTime(0, 17, 28, 575), "FFFFF"},
        {QTime(0, 17, 28, 576), "00000"},  // 0x100000: the cycle starts again
        {QTime(14, 5, 0), "59EE0"},        // 50 700 000 = 0x3059EE0
        {QTime(23, 59, 59, 999), "65BFF"}, // 86 399 999 = 0x5265BFF
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UniqueNameSuffix(tmp.path(), "12345678~REQ.tif", ToTDateTime(day, c.time), clock), c.suffix)
            << c.time.toString().toStdString();
    }
}

TEST(UniqueNameSuffix, RetriesWithTheClockWhileTheNameIsTaken) {
    QTemporaryDir tmp;
    ASSERT_TRUE(QDir(tmp.path()).mkdir("12"));
    const QDate day(2026, 12, 8);
    const TDateTime taken = ToTDateTime(day, QTime(14, 5, 0));
    WriteFile(tmp.path() + "/12/12345678~REQ59EE0.tif");

    test::FakeClock clock(QDateTime(day, QTime(14, 5, 0, 1)));
    EXPECT_EQ(UniqueNameSuffix(tmp.path() + "/", "12/12345678~REQ.tif", taken, clock), "59EE1");
    EXPECT_EQ(UniqueNameSuffix(tmp.path(), "12/12345678~REQ.tif", taken, clock), "59EE1");
    // Another extension, another base: no collision.
    EXPECT_EQ(UniqueNameSuffix(tmp.path(), "12/12345678~REQ.bmp", taken, clock), "59EE0");
    EXPECT_EQ(UniqueNameSuffix(tmp.path(), "12/12345678~REQ", taken, clock), "59EE0");

    // The same offset in the next 1 048 576 ms cycle collides too.
    const TDateTime nextCycle = taken + 1048576.0 / MillisecondsPerDay;
    EXPECT_EQ(UniqueNameSuffix(tmp.path(), "12/12345678~REQ.tif", nextCycle, clock), "59EE1");

    // A clock that has not moved on yet: the next free millisecond all the same, no endless wait.
    WriteFile(tmp.path() + "/12/12345678~REQ59EE1.tif");
    test::FakeClock standing(QDateTime(day, QTime(14, 5, 0)));
    EXPECT_EQ(UniqueNameSuffix(tmp.path(), "12/12345678~REQ.tif", taken, standing), "59EE2");
}

TEST(UniqueNameSuffix, GivesUpWhenEveryNameIsTaken) {
    // A name cut short at a NUL byte looks taken whatever the suffix: the search ends, empty.
    QTemporaryDir tmp;
    WriteFile(tmp.path() + "/x");
    test::FakeClock clock;
    EXPECT_EQ(UniqueNameSuffix(tmp.path(), QString("x") + QChar(0) + "~REQ.tif", ToTDateTime(clock.now()), clock),
              QString());
}

TEST(CopyThroughHeldTemporary, ReplacesTheTargetAndOnlyUnheldTemporariesAreRemoved) {
    QTemporaryDir tmp;
    const QString dir = tmp.path() + "/";
    WriteFile(dir + "source.tif", "page");
    WriteFile(dir + "a.tif", "old");
    EXPECT_EQ(HeldTemporaryOf(dir + "a.tif"), dir + ".a.copy.tmp");
    EXPECT_EQ(CopyThroughHeldTemporary(dir + "source.tif", dir + "a.tif"), QString());
    EXPECT_EQ(ReadFileBytes(dir + "a.tif"), "page");
    EXPECT_FALSE(CopyThroughHeldTemporary(dir + "missing.tif", dir + "b.tif").isEmpty());
    EXPECT_FALSE(QFile::exists(dir + "b.tif") || QFile::exists(dir + ".b.copy.tmp"));

    // A copy still running holds its temporary; a killed one's and other hidden files stay alone.
    WriteFile(dir + ".held.copy.tmp");
    WriteFile(dir + ".left.copy.tmp");
    WriteFile(dir + ".page.tif.1f2e.tmp");
    const int fd = ::open(QFile::encodeName(dir + ".held.copy.tmp").constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_EQ(RemoveUnheldTemporaries(dir), 1);
    ::close(fd);
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({".held.copy.tmp", ".page.tif.1f2e.tmp", "a.tif", "source.tif"}));
}
