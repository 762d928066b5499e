#include "../../platform/volumes/LoopMedium.h"
#include "MediaRig.h"

#include "core/config/SetupInfo.h"
#include "platform/volumes/SystemVolumes.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace kestrova::mediatest {
namespace {

struct UtilityRun {
    int exitCode = -1;
    QString output;
};

UtilityRun RunUtility(const QString& dir) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(KESTROVA_BIN_DIR "/reloadfmcd"), {QStringLiteral("/v"), dir});
    EXPECT_TRUE(p.waitForFinished(120000));
    return {p.exitCode(), QString::fromUtf8(p.readAll())};
}

// Changes one base64 character in the middle of an entry.
void ChangeOneByte(const ZipFactory& zips, const QString& zipPath, const QString& entry) {
    QString error;
    const auto zip = zips.open(zipPath, error);
    ASSERT_TRUE(zip) << error.toStdString();
    QByteArray data;
    ASSERT_TRUE(zip->read(entry, data));
    qsizetype i = data.size() / 2;
    while (i < data.size() && !std::isalpha(static_cast<unsigned char>(data[i]))) ++i;
    ASSERT_LT(i, data.size());
    data[i] = data[i] == 'A' ? 'B' : 'A';
    ASSERT_TRUE(zip->add(entry, data, QDateTime()));
    ASSERT_TRUE(zip->commit());
}

// Signed images backed up onto a labelled medium (a loop-mounted file system where the machine
// allows it), one zip file lost and one damaged there; finalising at 100 percent rebuilds both and
// passes, and the verify utility passes the medium until one byte of one message changes.
TEST(MediumLifeTest, BackupFinaliseAndVerifyAMedium) {
    MediaRig rig(true);
    test::LoopMedium medium(QStringLiteral("CD0001"), 32);
    const SystemVolumes system;
    const Volumes* volumes = &rig.volumes;
    if (medium.mounted()) {
        rig.backupDir = medium.mountPoint() + QStringLiteral("/");
        rig.station.editSetup().SetupInfo.Directories[SlotBackup] = rig.backupDir;
        volumes = &system;
        std::int64_t free = 0, total = 0;
        DriveFreeSpace(system, rig.backupDir, free, total);
        rig.station.editSetup().SetupInfo.FreeSpace[3] = free;
    } else {
        std::printf("No loop-mounted medium (%s): the medium is a directory\n", qPrintable(medium.skipReason()));
    }
    QStringList zipNames;
    for (int i = 1; i <= 210; ++i) {
        const QString z = rig.backupImage(i, QStringLiteral("12%1").arg(i, 4, 10, QChar('0')));
        if (!zipNames.contains(z)) zipNames << z;
    }
    ASSERT_EQ(zipNames.size(), 3);
    const QString lost = rig.backupDir + "12/" + zipNames[0] + ".zip";
    const QString damaged = rig.backupDir + "12/" + zipNames[1] + ".zip";
    ASSERT_TRUE(QFile::remove(lost));
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.resize(file.size() / 2));
    file.close();

    FinaliseMedia finalise(rig.station, rig.media, rig.archive, rig.codec, rig.smime, *volumes);
    finalise.view.pause = [](int) {};
    bool closed = false;
    finalise.view.closeProgram = [&] { closed = true; };
    rig.prompter.expectMessage(FinaliseMedia::Caption, MessageResult::Yes);
    rig.prompter.expectInput("Select Verification level", "100");
    rig.prompter.expectMessage("Verify integrity");
    rig.prompter.expectMessage("Verify Media Completed.");
    finalise.FinalisemediaClick();
    EXPECT_TRUE(rig.prompter.allAnswered()) << rig.prompter.shown().back().text.toStdString();
    EXPECT_TRUE(closed);
    EXPECT_EQ(finalise.CountedImages, 210);
    EXPECT_EQ(finalise.VerifiedImages, 210);
    EXPECT_EQ(finalise.FailedImages, 0);
    EXPECT_EQ(rig.entries(lost).size(), 100);
    EXPECT_EQ(rig.entries(damaged).size(), 100);
    EXPECT_EQ(rig.column("Verified"), QStringList(210, "2"));

    // The summary matches the rows: each once, in order, all verified.
    QFile summary(rig.backupDir + "summary/CD0001.csv");
    ASSERT_TRUE(summary.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(summary.readAll()).split("\r\n");
    lines.removeLast();
    ASSERT_EQ(lines.size(), 211);
    const QStringList zipColumn = rig.column("ZipName");
    for (int i = 1; i <= 210; ++i) {
        const QStringList f = lines[i].split(',');
        EXPECT_EQ(f[0], QString::number(i));
        EXPECT_EQ(f[7], zipColumn[i - 1]);
        EXPECT_EQ(f[10], "2");
    }

    const UtilityRun pass = RunUtility(rig.backupDir);
    EXPECT_EQ(pass.exitCode, 0) << pass.output.toStdString();
    EXPECT_TRUE(pass.output.contains("3 zip files, 210 entries, 210 summary rows: 0 problems"))
        << pass.output.toStdString();

    ChangeOneByte(rig.zips, damaged, "120150~REQS1A.eml");
    const UtilityRun fail = RunUtility(rig.backupDir);
    EXPECT_EQ(fail.exitCode, 1) << fail.output.toStdString();
    EXPECT_TRUE(fail.output.contains(": 120150~REQS1A.eml: signed message does not verify"))
        << fail.output.toStdString();
    EXPECT_TRUE(fail.output.contains(": 1 problems")) << fail.output.toStdString();
}

} // namespace
} // namespace kestrova::mediatest
