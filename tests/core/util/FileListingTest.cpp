#include "core/util/FileListing.h"

#include "QtPrint.h"
#include "support/TestFiles.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kestrova;

namespace {

const QLocale DayFirst(QLocale::English, QLocale::UnitedKingdom);
const QLocale MonthFirst(QLocale::English, QLocale::UnitedStates);

void WriteFile(const QString& path, qsizetype size) {
    test::WriteBytes(path, QByteArray(size, 'x'));
}

class ListFilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }
    QString pattern(const QString& wildcard) const { return path(wildcard); }
    QStringList names(const QString& wildcard, int filter = 0) const {
        QStringList result;
        for (const QStringList& entry : ListingEntries(ListFiles(pattern(wildcard), filter, ListName))) result << entry;
        return result;
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ListFilesTest, NoMatchGivesZeroAndCarriageReturn) {
    EXPECT_EQ(ListFiles(pattern("*.tif"), 0, ListName), "0\r");
    EXPECT_EQ(ListFiles(path("missing/*.*"), 0, ListName), "0\r");
    WriteFile(path("a.tif"), 1);
    EXPECT_EQ(ListFiles(path(""), 0, ListName), "0\r");
}

TEST_F(ListFilesTest, NameCreationTimeAndSizeOfOneFile) {
    WriteFile(path("a.tif"), 1234);
    const QFileInfo info(path("a.tif"));
    const QDateTime created = info.birthTime().isValid() ? info.birthTime() : info.lastModified();
    const QString expected =
        "1\ra.tif\n" + FormatListingTime(FileTimeToLocal(ToFileTime(created)), DayFirst) + "\n1234\n\r";
    EXPECT_EQ(ListFiles(pattern("*.tif"), 0, ListName | ListCreationTime | ListSize, DayFirst), expected);
    EXPECT_EQ(ListFiles(pattern("*.tif"), 0, 42, DayFirst), expected);
}

TEST_F(ListFilesTest, FieldsComeInFlagOrderWithTimesToTheMinute) {
    WriteFile(path("12345678~REQA1F3C.tif"), 10);
    QFile file(path("12345678~REQA1F3C.tif"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2009, 11, 17), QTime(14, 30, 45)), QFileDevice::FileModificationTime));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2010, 1, 2), QTime(3, 4, 5)), QFileDevice::FileAccessTime));
    file.close();

    const QStringList fields = ListingEntries(ListFiles(pattern("*.tif"), 0, 127, DayFirst)).value(0);
    ASSERT_EQ(fields.size(), 7);
    EXPECT_EQ(fields[0], "12345678~REQA1F3C.tif");
    EXPECT_EQ(fields[1], "12345678~REQA1F3C.tif");
    EXPECT_EQ(fields[2], "17/11/2009 14:30");
    EXPECT_EQ(fields[4], "02/01/2010 03:04");
    EXPECT_EQ(fields[5], "10");
    EXPECT_EQ(fields[6], "32");
    EXPECT_EQ(ListingEntries(ListFiles(pattern("*.tif"), 0, ListWriteTime, MonthFirst)).value(0),
              QStringList{"11/17/2009 14:30"});
    EXPECT_NEAR(ReadListingTime(fields[2], DayFirst), EncodeDate(2009, 11, 17) + EncodeTime(14, 30, 0, 0), 1e-9);
}

TEST_F(ListFilesTest, AttributeFilterAndBits) {
    WriteFile(path("a.tif"), 1);
    WriteFile(path(".hidden.tif"), 1);
    WriteFile(path("r.tif"), 1);
    ASSERT_TRUE(QFile::setPermissions(path("r.tif"), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("sub.tif"));

    const struct {
        int filter;
        QStringList names;
    } cases[] = {
        {0, {".hidden.tif", "a.tif", "r.tif"}},
        {AttrAny, {".hidden.tif", "a.tif", "r.tif", "sub.tif"}},
        {AttrDirectory, {"sub.tif"}},
        {AttrHidden, {".hidden.tif"}},
        {AttrReadOnly, {"r.tif"}},
        {AttrArchive, {".hidden.tif", "a.tif", "r.tif"}},
        {AttrArchive | AttrHidden, {".hidden.tif"}},
        {AttrVolumeLabel, {}},
        {AttrSystem, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(names("*.tif", c.filter), c.names) << "filter " << c.filter;

    const QString listing = ListFiles(pattern("*.tif"), AttrAny, ListName | ListSize | ListAttributes);
    EXPECT_EQ(ListingCount(listing), 4);
    const QList<QStringList> entries = ListingEntries(listing);
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0], (QStringList{".hidden.tif", "1", "34"}));
    EXPECT_EQ(entries[1], (QStringList{"a.tif", "1", "32"}));
    EXPECT_EQ(entries[2], (QStringList{"r.tif", "1", "33"}));
    EXPECT_EQ(entries[3], (QStringList{"sub.tif", "0", "16"}));
}

TEST_F(ListFilesTest, WildcardsMatchAsOnTheStationsOfOld) {
    for (const char* name : {"12345678~REQ001.tif", "12345678", "123456789~X.TIF", "a.tiff", "b.tif", "c[1].tif"}) {
        WriteFile(path(name), 1);
    }
    const struct {
        const char* wildcard;
        QStringList names;
    } cases[] = {
        {"*.*", {"12345678", "123456789~X.TIF", "12345678~REQ001.tif", "a.tiff", "b.tif", "c[1].tif"}},
        {"*", {"12345678", "123456789~X.TIF", "12345678~REQ001.tif", "a.tiff", "b.tif", "c[1].tif"}},
        {"*.tif", {"123456789~X.TIF", "12345678~REQ001.tif", "b.tif", "c[1].tif"}},
        {"12345678*.*", {"12345678", "123456789~X.TIF", "12345678~REQ001.tif"}},
        {"12345678~*.*", {"12345678~REQ001.tif"}},
        {"?.tif", {"b.tif"}},
        {"c[1].tif", {"c[1].tif"}},
        {"*.png", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(names(c.wildcard), c.names) << c.wildcard;
}

TEST(FileTimeToLocal, UsesTheZoneOffsetOfTheInstant) {
    const QTimeZone london("Europe/London");
    ASSERT_TRUE(london.isValid());
    const auto fileTime = [](QDate d, QTime t) { return ToFileTime(QDateTime(d, t, QTimeZone::utc())); };
    const struct {
        qint64 fileTime;
        QTimeZone zone;
        TDateTime expected;
    } cases[] = {
        {0, QTimeZone::utc(), -109205.0},
        {864000000000LL, QTimeZone::utc(), -109204.0},
        {fileTime(QDate(2009, 1, 17), QTime(14, 30)), london, EncodeDate(2009, 1, 17) + EncodeTime(14, 30, 0, 0)},
        {fileTime(QDate(2009, 7, 17), QTime(14, 30)), london, EncodeDate(2009, 7, 17) + EncodeTime(15, 30, 0, 0)},
        {fileTime(QDate(2009, 7, 17), QTime(23, 30)), QTimeZone(-5 * 3600),
         EncodeDate(2009, 7, 17) + EncodeTime(18, 30, 0, 0)},
        {fileTime(QDate(2009, 7, 17), QTime(14, 30)), QTimeZone(), EncodeDate(2009, 7, 17) + EncodeTime(14, 30, 0, 0)},
    };
    for (const auto& c : cases) EXPECT_NEAR(FileTimeToLocal(c.fileTime, c.zone), c.expected, 1e-9) << c.fileTime;
}

TEST(ListingTime, WidensTwoDigitYearsAndReadsBack) {
    EXPECT_EQ(ListingTimeFormat(DayFirst), "dd/MM/yyyy hh:mm");
    EXPECT_EQ(ListingTimeFormat(MonthFirst), "M/d/yyyy hh:mm");
    EXPECT_EQ(ListingTimeFormat(QLocale(QLocale::German, QLocale::Germany)), "dd.MM.yyyy hh:mm");
    const TDateTime value = EncodeDate(2026, 3, 5) + EncodeTime(7, 8, 59, 0);
    EXPECT_EQ(FormatListingTime(value, MonthFirst), "3/5/2026 07:08");
    EXPECT_NEAR(ReadListingTime("3/5/2026 07:08", MonthFirst), value - EncodeTime(0, 0, 59, 0), 1e-9);
    EXPECT_EQ(ReadListingTime("not a time", MonthFirst), 0.0);
    EXPECT_EQ(ReadListingTime("", MonthFirst), 0.0);
    const QLocale system = QLocale::system();
    EXPECT_NEAR(ReadListingTime(FormatListingTime(value, system), system), value - EncodeTime(0, 0, 59, 0), 1e-9);
}
