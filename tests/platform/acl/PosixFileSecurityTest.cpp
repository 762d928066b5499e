#include "platform/acl/PosixFileSecurity.h"
#include "AclTestFile.h"
#include "core/config/SetupInfo.h"
#include "core/store/ConvertSecurity.h"
#include "support/TempStation.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

// A file kept to its owner and the group users.
const QStringList SecuredForUsers{"user::rw-", "group::---", "group:users:rw-", "mask::rw-", "other::---"};

class PosixFileSecurityTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString reason = file.unsupportedReason();
        if (!reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
    }

    // Gives the file named entries for the user nobody and the group daemon.
    void giveNamedEntries() {
        ASSERT_EQ(file.setfacl({"-m", "user:nobody:r,group:daemon:rx"}), "");
        ASSERT_TRUE(security.setFileName(file.path())) << security.lastError().toStdString();
    }

    QStringList names() const {
        QStringList out;
        for (int i = 0; i < security.count(); ++i) out << security.UserName(i);
        return out;
    }

    AclTestFile file;
    PosixFileSecurity security;
};

} // namespace

TEST_F(PosixFileSecurityTest, AGroupAddedWithFullRightsGetsReadAndWriteAndTheFileClosesToOthers) {
    ASSERT_TRUE(security.setFileName(file.path())) << security.lastError().toStdString();
    EXPECT_TRUE(security.ControlAccess());
    EXPECT_EQ(security.fileName(), file.path());
    EXPECT_EQ(security.count(), 0);

    const Status added = security.add("users", FullFileAccess, AccessAllowed, 0);
    ASSERT_TRUE(added) << added.error().toStdString();
    EXPECT_EQ(security.lastError(), "");
    EXPECT_EQ(names(), QStringList{"users"});
    EXPECT_EQ(file.entries(), SecuredForUsers);
}

TEST_F(PosixFileSecurityTest, ADomainAccountIsFoundByItsPlainNameAndReportedAsAdded) {
    ASSERT_TRUE(security.setFileName(file.path()));
    ASSERT_TRUE(security.add("LAB\\users", FullFileAccess, AccessAllowed, 0));
    EXPECT_EQ(names(), QStringList{"LAB\\users"});
    EXPECT_TRUE(file.entries().contains("group:users:rw-"));

    // Selected afresh, the entry is what the name service calls it.
    ASSERT_TRUE(security.setFileName(file.path()));
    EXPECT_EQ(names(), QStringList{"users"});
}

TEST_F(PosixFileSecurityTest, TheStationsWalkLeavesOnlyTheAddedAccountAndTheOwnerEntries) {
    giveNamedEntries();
    EXPECT_EQ(names(), (QStringList{"nobody", "daemon"})); // named users come before named groups

    const QString account = "LAB\\users";
    ASSERT_TRUE(security.add(account, FullFileAccess, AccessAllowed, 0));
    ASSERT_EQ(security.count(), 3);
    for (int i = security.count() - 1; i >= 0; --i) {
        if (security.UserName(i).compare(account, Qt::CaseInsensitive) == 0) continue;
        const Status removed = security.remove(i);
        EXPECT_TRUE(removed) << removed.error().toStdString();
    }
    EXPECT_EQ(names(), QStringList{account});
    EXPECT_EQ(file.entries(), SecuredForUsers);

    // Removing the last named entry keeps the owner entries and the mask; the file stays closed.
    ASSERT_TRUE(security.remove(0));
    EXPECT_EQ(security.count(), 0);
    EXPECT_EQ(file.entries(), (QStringList{"user::rw-", "group::---", "mask::---", "other::---"}));
}

TEST_F(PosixFileSecurityTest, RightsMapToReadAndWriteAndAReAddedAccountGetsTheNewRights) {
    ASSERT_TRUE(security.setFileName(file.path()));
    const struct {
        std::uint32_t mask;
        const char* entry;
    } cases[] = {
        {0x1, "group:daemon:r--"},
        {0x2, "group:daemon:rw-"},
        {0x100, "group:daemon:r--"}, // the new rights replace the old
        {0x20, "group:daemon:r--"},  // execute is never given
        {FullFileAccess, "group:daemon:rw-"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(security.add("daemon", c.mask, AccessAllowed, 0));
        EXPECT_EQ(security.count(), 1);
        EXPECT_TRUE(file.entries().contains(c.entry)) << c.mask << ": " << file.entries().join(' ').toStdString();
    }

    // A name that is no group is taken as a user; a write right alone still reads.
    ASSERT_TRUE(security.add("nobody", 0x2, AccessAllowed, 0));
    EXPECT_TRUE(file.entries().contains("user:nobody:rw-"));
    ASSERT_TRUE(security.add("sys", 0x20, AccessAllowed, 0x3)); // inheritance flags are ignored
    EXPECT_TRUE(file.entries().contains("group:sys:r--"));
    EXPECT_EQ(names(), (QStringList{"nobody", "daemon", "sys"}));
}

TEST_F(PosixFileSecurityTest, SecuringAStoreCopyKeepsItToItsOwnerAndTheDocumentsAccountAgainAndAgain) {
    const struct {
        const char* name;
        const char* before; // setfacl -m entries on a file of mode 0644
        const char* account;
        QStringList after;
    } cases[] = {
        {"a new file", "", "users", SecuredForUsers},
        {"other accounts named", "user:nobody:r,group:daemon:rx", "users", SecuredForUsers},
        {"secured with every right before", "group:users:rwx,mask::rwx", "LAB\\users", SecuredForUsers},
        {"secured already", "group:users:rw-,group::---,other::---,mask::rw-", "users", SecuredForUsers},
        {"a user account",
         "user:nobody:rwx,user:daemon:r",
         "nobody",
         {"user::rw-", "user:nobody:rw-", "group::---", "mask::rw-", "other::---"}},
        {"an owner who may run it",
         "user::rwx,group::rwx,other::rwx",
         "users",
         {"user::rwx", "group::---", "group:users:rw-", "mask::rw-", "other::---"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(file.setfacl({"-b"}), "");
        ASSERT_EQ(file.setfacl({"-m", "user::rw-,group::r--,other::r--"}), "");
        if (*c.before) {
            ASSERT_EQ(file.setfacl({"-m", c.before}), "");
        }
        test::TempStation temp;
        temp.station.editSetup().SecurityDomain = "LAB";
        docdefinition document;
        document.DocName = "Request form";
        document.Account = c.account;
        for (int run = 1; run <= 2; ++run) {
            temp.station.eventLog().clear();
            SecureStoreCopy(temp.station, &security, file.path(), document);
            EXPECT_TRUE(temp.station.eventLog().lines().value(0).endsWith("Saved Secure File."))
                << run << ": " << temp.station.eventLog().lines().join(" | ").toStdString();
            EXPECT_EQ(file.entries(), c.after) << run;
        }
    }
}

TEST_F(PosixFileSecurityTest, AnAccountWithoutANameIsReportedByItsNumber) {
    ASSERT_EQ(file.setfacl({"-m", "user:4000123:r"}), "");
    ASSERT_TRUE(security.setFileName(file.path()));
    EXPECT_EQ(names(), QStringList{"4000123"});
}

TEST_F(PosixFileSecurityTest, RefusedChangesSayWhyAndLeaveTheFileAsItWas) {
    giveNamedEntries();
    const QStringList before = file.entries();

    Status s = security.add("LAB\\no-such-account-here", FullFileAccess, AccessAllowed, 0);
    EXPECT_FALSE(s);
    EXPECT_EQ(s.error(), "The account LAB\\no-such-account-here is not known to this system");
    EXPECT_EQ(security.lastError(), s.error());

    s = security.add("users", FullFileAccess, AccessDenied, 0);
    EXPECT_FALSE(s);
    EXPECT_EQ(s.error(), "Deny entries are not supported on this system");

    for (int bad : {-1, 2, 99}) {
        s = security.remove(bad);
        EXPECT_FALSE(s);
        EXPECT_TRUE(s.error().contains("has no entry")) << s.error().toStdString();
    }
    EXPECT_EQ(file.entries(), before);
    EXPECT_EQ(names(), (QStringList{"nobody", "daemon"}));

    // A change that cannot be written keeps the list as it was.
    ASSERT_TRUE(QFile::remove(file.path()));
    s = security.add("users", FullFileAccess, AccessAllowed, 0);
    EXPECT_FALSE(s);
    EXPECT_TRUE(s.error().startsWith("Could not write the access list of " + file.path())) << s.error().toStdString();
    EXPECT_EQ(names(), (QStringList{"nobody", "daemon"}));
}

TEST_F(PosixFileSecurityTest, AMissingFileOrNoFileCannotBeControlled) {
    const QString missing = file.dirPath() + "/gone.tif";
    EXPECT_FALSE(security.setFileName(missing));
    EXPECT_FALSE(security.ControlAccess());
    EXPECT_EQ(security.lastError(), "The file " + missing + " does not exist");
    EXPECT_EQ(security.count(), 0);
    EXPECT_FALSE(security.add("users", FullFileAccess, AccessAllowed, 0));
    EXPECT_FALSE(security.remove(0));

    // The empty name releases the file.
    ASSERT_TRUE(security.setFileName(file.path()));
    EXPECT_FALSE(security.setFileName(""));
    EXPECT_FALSE(security.ControlAccess());
    EXPECT_EQ(security.fileName(), "");
    EXPECT_EQ(security.lastError(), "");
    const Status s = security.add("users", FullFileAccess, AccessAllowed, 0);
    EXPECT_EQ(s.error(), "No file is selected");
}

TEST_F(PosixFileSecurityTest, TheControlWordHasNoProtectionFlagToChange) {
    giveNamedEntries();
    const QStringList before = file.entries();
    EXPECT_EQ(security.ControlWord(), 0u);
    EXPECT_TRUE(security.setControlWord(security.ControlWord() & ~AccessListProtected));
    EXPECT_TRUE(security.setControlWord(AccessListProtected));
    EXPECT_EQ(security.ControlWord(), 0u);
    EXPECT_EQ(file.entries(), before);
}

namespace {

// A ramfs mounted for a test: a file system that keeps no extended attributes, so no ACLs.
class RamDisk {
public:
    RamDisk() {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start("mount", {"-t", "ramfs", "ramfs", m_dir.path()});
        p.waitForFinished(10000);
        m_mounted = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (!m_mounted) m_reason = "mount refused here: " + QString::fromLocal8Bit(p.readAll()).trimmed();
    }
    ~RamDisk() {
        if (m_mounted) QProcess::execute("umount", {m_dir.path()});
    }
    RamDisk(const RamDisk&) = delete;
    RamDisk& operator=(const RamDisk&) = delete;

    bool mounted() const { return m_mounted; }
    const QString& reason() const { return m_reason; }
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_reason;
};

} // namespace

TEST(PosixFileSecurity, AFileSystemWithoutAccessListsCannotBeControlled) {
    RamDisk disk;
    if (!disk.mounted()) GTEST_SKIP() << disk.reason().toStdString();
    const QString path = disk.path("12345678~REQS10A3C4D5.tif");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    PosixFileSecurity security;
    EXPECT_FALSE(security.setFileName(path));
    EXPECT_FALSE(security.ControlAccess());
    EXPECT_EQ(security.lastError(), "The file system of " + path + " has no access control lists");
}
