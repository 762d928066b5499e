// The convert pass as a failing machine and a hostile name meet it: nothing stored twice, nothing
// written outside its directory, every failure said for what it is.
#include "StoreRig.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kestrova;
using namespace kestrova::storetest;

namespace {

// Makes dir refuse deletions: read-only permissions, or for root (whom permissions do not stop) a
// read-only bind mount of the directory over itself. Undone by the destructor.
class ReadOnlyDirectory {
public:
    explicit ReadOnlyDirectory(const QString& dir) : m_dir(dir) {
        if (::geteuid() != 0) {
            m_ok = QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            return;
        }
        m_mounted = QProcess::execute("mount", {"--bind", dir, dir}) == 0;
        m_ok = m_mounted && QProcess::execute("mount", {"-o", "remount,bind,ro", dir}) == 0;
    }
    ~ReadOnlyDirectory() {
        if (m_mounted) QProcess::execute("umount", {m_dir});
        QFile::setPermissions(m_dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    bool ok() const { return m_ok; }

private:
    QString m_dir;
    bool m_mounted = false;
    bool m_ok = false;
};

} // namespace

TEST(ConvertIntegrity, AStoredFileThatCannotBeDeletedIsNeverStoredAgain) {
    StoreRig rig;
    const QString page = rig.writePage(QStringLiteral("100~REQS10A1B2.tif"));
    {
        ReadOnlyDirectory readOnly(rig.decodedDir);
        if (!readOnly.ok()) GTEST_SKIP() << "the decoded directory cannot be made read-only here";
        for (int pass = 1; pass <= 3; ++pass) {
            const ConvertSummary summary = rig.run();
            EXPECT_EQ(summary.kept, 1);
            EXPECT_FALSE(summary.clean());
        }
        EXPECT_EQ(rig.rows().size(), 1);
        EXPECT_EQ(StoreRig::files(rig.storeDir).size(), 1);
        EXPECT_EQ(StoreRig::files(rig.localDir).size(), 1);
        const QStringList log = rig.log();
        EXPECT_EQ(log.filter("Error deleting " + page + " during storefiles process.").size(), 1);
        EXPECT_EQ(log.filter(page + " is stored as 100~REQS10A").size(), 1);
        EXPECT_TRUE(log.last().endsWith("; it stays and is not stored again.")) << log.last().toStdString();
    }
    // Once the directory lets go, the next pass deletes the file and stores nothing more.
    const ConvertSummary summary = rig.run();
    EXPECT_TRUE(summary.clean());
    EXPECT_FALSE(QFile::exists(page));
    EXPECT_EQ(rig.rows().size(), 1);
    EXPECT_FALSE(QFile::exists(rig.localDir + ".kestrova-kept"));
}

TEST(ConvertIntegrity, ALockedDatabaseEndsThePassWithTheDatabasesWords) {
    StoreRig rig;
    rig.db->setLockWaitMs(200);
    for (int i = 0; i < 3; ++i) rig.writePage(QStringLiteral("%1~REQS10A1B2.tif").arg(100 + i));
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-holder");
        other.setDatabaseName(rig.dir.path() + "/images.mdb");
        ASSERT_TRUE(other.open());
        QSqlQuery hold(other);
        ASSERT_TRUE(hold.exec("begin exclusive"));
        const ConvertSummary summary = rig.run();
        EXPECT_EQ(summary.stored, 0);
        EXPECT_FALSE(summary.clean());
        const QStringList log = rig.log();
        const QStringList failed = log.filter(" during storefiles process. ");
        ASSERT_EQ(failed.size(), 1) << log.join('\n').toStdString();
        EXPECT_TRUE(failed.first().startsWith("Error deleting ")) << failed.first().toStdString();
        EXPECT_TRUE(failed.first().contains("locked by")) << failed.first().toStdString();
        EXPECT_EQ(log.last(), "The image database is locked by another user; the remaining files wait for the next "
                              "pass.");
        hold.exec("rollback");
        hold = QSqlQuery();
        other.close();
    }
    QSqlDatabase::removeDatabase("other-holder");
    EXPECT_EQ(StoreRig::files(rig.decodedDir).size(), 3);
    EXPECT_TRUE(StoreRig::files(rig.storeDir).isEmpty());
    EXPECT_TRUE(StoreRig::files(rig.localDir).isEmpty());
    EXPECT_EQ(rig.run().stored, 3);
    EXPECT_EQ(rig.rows().size(), 3);
}

TEST(ConvertIntegrity, NamesAndDirectoriesThatWouldMisplaceAPageAreRefused) {
    StoreRig rig;
    // With the mask "**" a request number "..x" would make the store's group directory "..".
    const QString dots = rig.writePage(QStringLiteral("..x~REQS10A1B2.tif"));
    const QString hidden = rig.writePage(QStringLiteral(".1234~REQS10A1B2.tif"));
    ConvertProcess convert(rig.station, rig.codec);
    ConvertSummary summary = convert.ConvertDecodedImages();
    EXPECT_EQ(summary.failed, 2);
    for (const QString& page : {dots, hidden}) {
        EXPECT_EQ(rig.log().filter("Cannot store " + page + " because its name is not usable").size(), 1);
        EXPECT_TRUE(QFile::exists(page));
    }
    EXPECT_TRUE(StoreRig::files(rig.storeDir).isEmpty());
    EXPECT_TRUE(StoreRig::files(rig.localDir).isEmpty());
    EXPECT_TRUE(QDir(rig.dir.path()).entryList({"..x*"}, QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(rig.rows().isEmpty());
    QFile::remove(dots);
    QFile::remove(hidden);

    // A missing decoded directory is said once, and the pass does not count as clean.
    QDir(rig.decodedDir).removeRecursively();
    for (int pass = 0; pass < 2; ++pass) {
        summary = convert.ConvertDecodedImages();
        EXPECT_EQ(summary.missingDirectories, QStringList{rig.decodedDir});
        EXPECT_FALSE(summary.clean());
    }
    EXPECT_EQ(rig.log().filter("The directory " + rig.decodedDir + " is missing").size(), 1);
    // A missing image store leaves the pages where they are.
    QDir().mkpath(rig.decodedDir);
    const QString page = rig.writePage(QStringLiteral("100~REQS10A1B2.tif"));
    QDir(rig.storeDir).removeRecursively();
    summary = convert.ConvertDecodedImages();
    EXPECT_EQ(summary.missingDirectories, QStringList{rig.storeDir});
    EXPECT_TRUE(summary.notRun);
    EXPECT_TRUE(QFile::exists(page));
    EXPECT_EQ(rig.log().filter(" is there again.").size(), 1);
}
