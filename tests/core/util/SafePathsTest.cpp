#include "core/util/SafePaths.h"

#include "QtPrint.h"

#include <gtest/gtest.h>

using namespace kestrova;

TEST(SafePaths, NamesThatWouldLeaveTheirFolderAreRefused) {
    const struct {
        QString name;
        bool safe;
    } cases[] = {
        {"12345678~REQS1A1B2C.tif", true},
        {QString::fromUtf8("Müller~REQ.tif"), true},
        {"a..b", true},
        {"", false},
        {".", false},
        {"..", false},
        {"..name", false},
        {".hidden", false},
        {"a/b", false},
        {"a\\b", false},
        {QString("a") + QChar(0) + "b", false},
        {"a\tb", false},
    };
    for (const auto& c : cases) EXPECT_EQ(UnsafeNameReason(c.name).isEmpty(), c.safe) << c.name.toStdString();
}

TEST(SafePaths, PathsStayBelowTheirDirectory) {
    const QString dir = "/srv/store/";
    const struct {
        QString path;
        bool inside;
    } cases[] = {
        {"/srv/store/12/12345678~REQ.tif", true},
        {"/srv/store/12345678~REQ.tif", true},
        {"/srv/store/../12345678~REQ.tif", false},
        {"/srv/store/./x.tif", false},
        {"/srv/store//x.tif", false},
        {"/srv/store/", false},
        {"/srv/storex/a.tif", false},
        {"/srv/other/a.tif", false},
        {"/srv/store/a/../../b.tif", false},
        {QString("/srv/store/a") + QChar(0) + ".tif", false},
    };
    for (const auto& c : cases) EXPECT_EQ(StaysInside(dir, c.path), c.inside) << c.path.toStdString();
    EXPECT_FALSE(StaysInside("/srv/store", "/srv/store/a.tif")) << "a directory without its separator";
}

TEST(SafePaths, TheLongestDecodedNameFitsEveryNameItIsStoredUnder) {
    // store name = decoded name + two kept tail characters; temporary names add TemporaryNameBytes.
    EXPECT_LE(MaxDecodedNameBytes + StoreNameGrowth + TemporaryNameBytes, MaxFileNameBytes);
    const QString longest = QString(MaxDecodedNameBytes - 4, QLatin1Char('1')) + ".tif";
    const QString temporary = "." + longest + "xx" + ".ffffffff.tmp";
    EXPECT_LE(temporary.toUtf8().size(), MaxFileNameBytes);
}
