#include "StoreRig.h"

#include "core/station/ScreenCursors.h"
#include "platform/acl/PosixFileSecurity.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <optional>

using namespace kestrova;
using namespace kestrova::storetest;

TEST(ConvertFailures, EmptyAndUnreadableFilesStayAndAreReportedEveryPass) {
    StoreRig rig;
    rig.writeBytes(QStringLiteral("100~REQS10A1B2.tif"), QByteArray());
    const QString tif = rig.writeBytes(QStringLiteral("200~REQS10A1B2.tif"), QByteArray("II*\0garbage", 11));
    const QString png = rig.writeBytes(QStringLiteral("300~REQS10A1B2.png"), QByteArray("not a png"));
    for (int pass = 1; pass <= 2; ++pass) {
        const ConvertSummary summary = rig.run();
        EXPECT_EQ(summary.listed, 3);
        EXPECT_EQ(summary.failed, 2);
        const QStringList log = rig.log();
        EXPECT_EQ(log.filter(QStringLiteral("I could not read ") + tif + " because ").size(), pass);
        EXPECT_EQ(log.filter(QStringLiteral("Could not read ") + png + " because ").size(), pass);
        EXPECT_EQ(log.filter(QStringLiteral(" Image must be rescanned!")).size(), 2 * pass);
        EXPECT_TRUE(log.filter(QStringLiteral("100~")).isEmpty()); // skipped without a word
    }
    EXPECT_EQ(StoreRig::files(rig.decodedDir).size(), 3);
    EXPECT_TRUE(rig.rows().isEmpty());
    EXPECT_TRUE(StoreRig::files(rig.storeDir).isEmpty());
    EXPECT_TRUE(StoreRig::files(rig.localDir).isEmpty());
    EXPECT_EQ(rig.station.ScreenCursorNumber, crDefault);
}

TEST(ConvertFailures, NoSequenceNumberMeansNothingIsTouched) {
    StoreRig rig;
    rig.writePage(QStringLiteral("100~REQS10A1B2.tif"));
    Exec(*rig.db, QStringLiteral("drop view NextSeq"));
    const ConvertSummary summary = rig.run();
    EXPECT_TRUE(summary.sequenceFailed);
    const QStringList log = rig.log();
    ASSERT_EQ(log.size(), 1);
    // The database's own words follow the message.
    EXPECT_TRUE(log[0].startsWith(
        QStringLiteral("Error looking up Sequence Numbers in the Convert Process.  Database may be damaged: ")));
    EXPECT_TRUE(log[0].contains(QStringLiteral("NextSeq"), Qt::CaseInsensitive)) << log[0].toStdString();
    EXPECT_EQ(StoreRig::files(rig.decodedDir).size(), 1);
    EXPECT_TRUE(StoreRig::files(rig.storeDir).isEmpty());
}

TEST(ConvertFailures, AFailedCopyLeavesTheFileAndNoOtherCopy) {
    StoreRig rig;
    // The store's group directory is taken by a file: the store copy cannot be written.
    QFile blocker(rig.storeDir + QStringLiteral("10"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString first = rig.writePage(QStringLiteral("100~REQS10A1B2.tif"));
    rig.run();
    QStringList log = rig.log();
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].contains(QStringLiteral(" creating ") + rig.storeDir + "10/100~REQS10A"))
        << log[0].toStdString();
    EXPECT_TRUE(log[1].startsWith(QStringLiteral("Failed to create file ") + rig.storeDir + "10/100~REQS10A"));
    EXPECT_TRUE(log[1].contains(QStringLiteral(".tif with "))) << log[1].toStdString();
    EXPECT_TRUE(StoreRig::files(rig.localDir).isEmpty());
    QFile::remove(blocker.fileName());

    // The local images directory is missing: nothing is written, and the log says why.
    rig.station.editSetup().SetupInfo.Directories[SlotLocalImages] = rig.localDir + QStringLiteral("missing/");
    EXPECT_TRUE(rig.run().notRun);
    log = rig.log();
    EXPECT_EQ(log.last(), QStringLiteral("The directory ") + rig.localDir +
                              "missing/ is missing; the convert process cannot use it.");
    EXPECT_TRUE(StoreRig::files(rig.storeDir).isEmpty());
    EXPECT_EQ(StoreRig::files(rig.decodedDir), QStringList{QFileInfo(first).fileName()});
    EXPECT_TRUE(rig.rows().isEmpty());

    // A disabled image store: only the local copy is written, and the image is recorded.
    rig.station.editSetup().SetupInfo.Directories[SlotLocalImages] = rig.localDir;
    rig.station.editSetup().SetupInfo.Directories[SlotImageStore] = DriveDisabled;
    rig.run();
    EXPECT_EQ(rig.rows().size(), 1);
    EXPECT_EQ(StoreRig::files(rig.localDir).size(), 1);
    EXPECT_TRUE(StoreRig::files(rig.decodedDir).isEmpty());
    // With the local images directory disabled as well nothing is done.
    rig.station.editSetup().SetupInfo.Directories[SlotLocalImages] = DriveDisabled;
    const QString second = rig.writePage(QStringLiteral("200~REQS10A1B2.tif"));
    rig.run();
    EXPECT_EQ(rig.log().last(),
              QStringLiteral("Cannot store ") + second + " because the local images directory is not set up.");
    EXPECT_EQ(rig.rows().size(), 1);
}

TEST(ConvertFailures, ConvertStopEndsThePassAfterTheCurrentFile) {
    StoreRig rig;
    for (int i = 0; i < 23; ++i)
        rig.writePage(QStringLiteral("%1~REQS10A1B2.tif").arg(100 + i), 1, TiffCompression::CcittG4, 40.0, 50);
    // The first pass is asked to stop when it lets the window work (after 20 files).
    int pumped = 0;
    rig.station.setMessagePump([&] {
        ++pumped;
        rig.station.task().setConvertStop(true);
    });
    QList<int> cursors;
    rig.station.setCursorHook([&](int c) { cursors << c; });
    rig.run();
    EXPECT_EQ(pumped, 1);
    EXPECT_EQ(rig.rows().size(), 20);
    EXPECT_EQ(StoreRig::files(rig.decodedDir).size(), 3);
    ASSERT_EQ(cursors.size(), 22); // on, one switch per file, back
    EXPECT_EQ(cursors[0], crFileStA);
    EXPECT_EQ(cursors[1], crFileStB);
    EXPECT_EQ(cursors[2], crFileStA);
    EXPECT_EQ(cursors.last(), crDefault);

    // A stop asked for while a file is being handled ends the pass after that file.
    rig.station.task().setConvertStop(false);
    rig.station.setCursorHook([&](int c) {
        if (c == crFileStB) rig.station.task().setConvertStop(true);
    });
    rig.run();
    EXPECT_EQ(rig.rows().size(), 21);
    rig.station.task().setConvertStop(false);
    rig.run();
    EXPECT_EQ(rig.rows().size(), 22);
    EXPECT_EQ(rig.rows().last().SeqNumber, 22);
}

TEST(ConvertFailures, FileSecurityIsReportedWithoutAnAdapter) {
    StoreRig rig;
    rig.station.editSetup().FileSecurityOn = true;
    rig.writePage(QStringLiteral("100~REQS10A1B2.tif"));
    rig.run();
    EXPECT_EQ(rig.log(), (QStringList{QStringLiteral("Entering Security Check Section."),
                                      QStringLiteral("Document Type is Request form")}));
    EXPECT_EQ(rig.rows().size(), 1);

    rig.station.editSetup().SetupInfo.DocDefs[0].Account = QStringLiteral("histology");
    rig.writePage(QStringLiteral("200~REQS10A1B2.tif"));
    rig.run();
    const QString stored = rig.storeDir + StoreRig::files(rig.storeDir).filter(QStringLiteral("200~")).value(0);
    EXPECT_EQ(rig.log().mid(2),
              (QStringList{QStringLiteral("Entering Security Check Section."),
                           QStringLiteral("Document Type is Request form"),
                           QStringLiteral("Failed to do security update on ") + stored + " for group histology"}));
    EXPECT_EQ(rig.rows().size(), 2);
}

namespace {

// Runs setfacl or getfacl; standard output, or nothing when it failed.
std::optional<QString> Acl(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return std::nullopt;
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

} // namespace

TEST(ConvertFailures, FileSecurityLeavesOnlyTheDocumentAccountOnTheStoreCopy) {
    StoreRig rig;
    // The group directory hands every new file an entry for another account.
    const QString group = rig.storeDir + QStringLiteral("10");
    ASSERT_TRUE(QDir().mkpath(group));
    if (!Acl(QStringLiteral("setfacl"),
             {QStringLiteral("-d"), QStringLiteral("-m"), QStringLiteral("user:nobody:r"), group}))
        GTEST_SKIP() << "no access lists on " << group.toStdString();
    rig.station.editSetup().FileSecurityOn = true;
    rig.station.editSetup().SecurityDomain = QStringLiteral("LAB");
    rig.station.editSetup().SetupInfo.DocDefs[0].Account = QStringLiteral("users");
    rig.writePage(QStringLiteral("100~REQS10A1B2.tif"));
    PosixFileSecurity security;
    rig.run(&security);

    EXPECT_EQ(rig.log(),
              (QStringList{QStringLiteral("Entering Security Check Section."),
                           QStringLiteral("Document Type is Request form"), QStringLiteral("Saved Secure File.")}));
    const QString stored = rig.storeDir + StoreRig::files(rig.storeDir).value(0);
    const std::optional<QString> acl = Acl(QStringLiteral("getfacl"), {QStringLiteral("--omit-header"), stored});
    ASSERT_TRUE(acl);
    EXPECT_TRUE(acl->contains(QStringLiteral("group:users:rw-\n"))) << acl->toStdString();
    EXPECT_TRUE(acl->contains(QStringLiteral("\ngroup::---"))) << acl->toStdString();
    EXPECT_TRUE(acl->contains(QStringLiteral("\nother::---"))) << acl->toStdString();
    EXPECT_FALSE(acl->contains(QStringLiteral("nobody"))) << acl->toStdString();
    EXPECT_EQ(rig.rows().size(), 1);

    // An account the system does not know is reported and the image is still stored.
    rig.station.editSetup().SetupInfo.DocDefs[0].Account = QStringLiteral("no-such-account-here");
    rig.writePage(QStringLiteral("101~REQS10A1B2.tif"));
    rig.run(&security);
    EXPECT_EQ(rig.log().last(), QStringLiteral("Failed to add Security information for a file"));
    EXPECT_EQ(rig.rows().size(), 2);
}
