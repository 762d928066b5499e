#include "BackupRig.h"

#include "core/config/SetupInfo.h"
#include "support/ZipCheck.h"

#include <gtest/gtest.h>

namespace kestrova::backuptest {

BackupRig::BackupRig() {
    station.editSetup().SetupInfo.StationMode = ModeSingle;
    volumes.setDrive(backupDir, 500, QStringLiteral("DISC0042"));
    backup.setCertificateDaysLeft([this] { return daysLeft; });
    backup.setPause([this](int ms) { pauses << ms; });
}

void BackupRig::addRows(int n, const QString& prefix, int firstSeq) {
    DataQuery& q = db->AdminQuery;
    for (int i = 0; i < n; ++i) {
        const qint32 seq = firstSeq + i;
        const QString req = prefix + QStringLiteral("%1").arg(seq, 6, 10, QLatin1Char('0'));
        const QString doc = QStringLiteral("REQS1%1").arg(seq, 3, 16, QLatin1Char('0')).toUpper();
        q.close();
        q.setSQL(QStringLiteral("insert into ImageData (SeqNumber, ReqID, DocDefn, ScanTime, SentToSystem) values "
                                "(:QSeq, :QReq, :QDoc, :QScan, false)"));
        q.clearParams();
        q.setParamInteger(QStringLiteral("QSeq"), seq);
        q.setParamText(QStringLiteral("QReq"), req);
        q.setParamText(QStringLiteral("QDoc"), doc);
        q.setParamDateTime(QStringLiteral("QScan"), ToTDateTime(clock.now()));
        ASSERT_TRUE(q.prepare() && q.execSQL()) << q.errorText().toStdString();
        q.close();
        local(req + QLatin1Char('~') + doc + QStringLiteral(".tif"));
    }
}

QList<BackupRow> BackupRig::backupRows() {
    DataQuery& q = db->AdminQuery;
    q.close();
    q.setSQL(QStringLiteral("select SeqNumber, ReqID, DocDefn, CDWriteTime, CDLabel, ZipName, SentToSystem from "
                            "ImageData order by SeqNumber"));
    QList<BackupRow> found;
    EXPECT_TRUE(q.open()) << q.errorText().toStdString();
    for (q.first(); !q.eof(); q.next()) {
        found.append({q.fieldByName(QStringLiteral("SeqNumber")).asInteger(),
                      q.fieldByName(QStringLiteral("ReqID")).asString() + QLatin1Char('~') +
                          q.fieldByName(QStringLiteral("DocDefn")).asString(),
                      q.fieldByName(QStringLiteral("CDWriteTime")).asString(),
                      q.fieldByName(QStringLiteral("CDLabel")).asString(),
                      q.fieldByName(QStringLiteral("ZipName")).asString(),
                      q.fieldByName(QStringLiteral("SentToSystem")).asBoolean()});
    }
    q.close();
    return found;
}

BackupRow BackupRig::row(qint32 seq) {
    for (const BackupRow& r : backupRows())
        if (r.SeqNumber == seq) return r;
    ADD_FAILURE() << "no row " << seq;
    return {};
}

QStringList BackupRig::zipEntriesBelow(const QString& dir) const {
    return test::CheckedZipEntriesBelow(dir);
}

} // namespace kestrova::backuptest
