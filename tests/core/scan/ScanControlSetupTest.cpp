#include "core/scan/ScanControlSetup.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

TEST(ScannerConf, ReadsKeysAndSectionsAndWritesBackOnlyWhatChanged) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scanner.conf"));
    ASSERT_TRUE(test::WriteFile(path, "# the demo station\nsource = Folder\nfolder = feeder   # beside the program\n\n"
                                      "[sane]\nMode = Lineart\noptions = test-picture=Grid; depth=1\n"));
    ScannerConf conf;
    ASSERT_TRUE(conf.load(path));
    EXPECT_EQ(conf.source(), "folder");
    EXPECT_EQ(conf.value("folder"), "feeder");
    EXPECT_EQ(conf.value("sane/mode"), "Lineart");
    EXPECT_EQ(conf.value("sane/options"), "test-picture=Grid; depth=1");
    EXPECT_EQ(conf.value("device", "none"), "none");
    EXPECT_EQ(conf.feederFolder("/srv/station/"), "/srv/station/feeder/");

    conf.setValue("device", "test:1");
    conf.setValue("sane/resolution", "200");
    conf.setValue("sane/mode", "Gray");
    conf.setValue("extra/key", "x");
    ASSERT_TRUE(conf.save());
    EXPECT_EQ(test::ReadFileBytes(path),
              "# the demo station\nsource = Folder\nfolder = feeder   # beside the program\n"
              "device = test:1\n\n[sane]\nmode = Gray\noptions = test-picture=Grid; depth=1\n"
              "resolution = 200\n[extra]\nkey = x\n");
}

// Comments after values and after a section's name, as the README's example has them.
TEST(ScannerConf, CommentsFollowValuesAndSectionNames) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scanner.conf"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("source = sane              # sane (default) or folder\n"
                "device = fujitsu:fi-7160   # SANE device\n"
                "[sane]                     # \"Set Size and Scan\" writes the first four\n"
                "source = ADF Front\n"
                "page-size = A4             # A4, A5, Letter, Legal or Full area\n");
    }
    ScannerConf conf;
    ASSERT_TRUE(conf.load(path));
    EXPECT_EQ(conf.source(), "sane");
    EXPECT_EQ(conf.value("device"), "fujitsu:fi-7160");
    EXPECT_EQ(conf.value("sane/source"), "ADF Front");
    EXPECT_EQ(conf.value("sane/page-size"), "A4");
    conf.setValue("sane/mode", "Lineart");
    ASSERT_TRUE(conf.save());
    ASSERT_TRUE(conf.load(path));
    EXPECT_EQ(conf.value("sane/mode"), "Lineart");
    EXPECT_EQ(test::ReadFileBytes(path).count("[sane]"), 1) << "the commented section is the one written to";
}

TEST(ScannerConf, AMissingFileIsTheDefaultStationAndAnUnwritableOneSaysWhy) {
    QTemporaryDir dir;
    ScannerConf conf;
    EXPECT_TRUE(conf.load(dir.filePath(QStringLiteral("none/scanner.conf"))));
    EXPECT_EQ(conf.source(), "sane");
    EXPECT_EQ(conf.feederFolder("/srv/station/"), "/srv/station/feeder/");
    conf.setValue("device", "test:0");
    EXPECT_FALSE(conf.save());
    EXPECT_TRUE(conf.error().startsWith("Cannot write "));
}

} // namespace
