#include "../backup/BackupRig.h"
#include "SignRig.h"

#include "core/db/DbValues.h"
#include "core/util/DateTime.h"

#include <QDirIterator>
#include <gtest/gtest.h>

namespace kestrova::signtest {
namespace {

// A signing station's backup pass: every image reaches its zip file as a signed message that an
// outside S/MIME client accepts, and Python's e-mail parser finds the image in it.
TEST(SignedBackupPassTest, EveryMessageInTheZipFilesVerifiesOutside) {
    SignRig rig;
    ASSERT_TRUE(rig.ca().ok());
    rig.station.editSetup().SetupInfo.StationMode = ModeSingle;
    test::FakeVolumes volumes;
    volumes.setDrive(rig.backupDir, 500, QStringLiteral("DISC0042"));
    backuptest::CountingBeeper beeper;
    BackupProcess backup{rig.station, rig.media, rig.archive, volumes, beeper};

    QStringList keys;
    DataQuery& q = rig.db->AdminQuery;
    for (int seq = 1; seq <= 3; ++seq) {
        const QString key = QStringLiteral("12%1~REQS1A").arg(seq, 6, 10, QLatin1Char('0'));
        q.close();
        q.setSQL(QStringLiteral("insert into ImageData (SeqNumber, ReqID, DocDefn, ScanTime, SentToSystem) values "
                                "(:QSeq, :QReq, 'REQS1A', :QScan, false)"));
        q.clearParams();
        q.setParamInteger(QStringLiteral("QSeq"), seq);
        q.setParamText(QStringLiteral("QReq"), key.section(QLatin1Char('~'), 0, 0));
        q.setParamDateTime(QStringLiteral("QScan"), ToTDateTime(rig.clock.now()));
        ASSERT_TRUE(q.prepare() && q.execSQL()) << q.errorText().toStdString();
        q.close();
        rig.local(key + QStringLiteral(".tif"), QByteArray("II*\0", 4).repeated(2000 + seq));
        keys << key;
    }

    EXPECT_FALSE(backup.BackupStoredImages());
    EXPECT_EQ(beeper.beeps, 0);

    int verified = 0;
    QDirIterator it(rig.zipFolder(), {QStringLiteral("*.zip")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString zip = it.next();
        for (const QString& name : rig.entries(zip)) {
            SCOPED_TRACE(name.toStdString());
            ASSERT_TRUE(name.endsWith(QStringLiteral(".eml")));
            const QByteArray content = rig.opensslVerify(rig.entry(zip, name));
            ASSERT_FALSE(content.isNull());
            const QString tif = name.chopped(4) + QStringLiteral(".tif");
            EXPECT_TRUE(rig.pythonAttachments(content).startsWith(tif.toUtf8() + ':'));
            ++verified;
        }
    }
    EXPECT_EQ(verified, keys.size());
}

} // namespace
} // namespace kestrova::signtest
