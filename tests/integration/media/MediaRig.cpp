#include "MediaRig.h"

#include "core/config/SetupInfo.h"
#include "core/store/ZipNames.h"
#include "core/util/DateTime.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace kestrova::mediatest {

MediaRig::MediaRig(bool signing) {
    station.editSetup().SigningOn = signing;
    if (!signing) station.SMIME1 = nullptr;
    volumes.setDrive(backupDir, 500, QStringLiteral("CD0001"));
    station.editSetup().SetupInfo.FreeSpace[3] = 100000;
    station.task().setMediaLabel(QStringLiteral("CD0001"));
}

void MediaRig::addRow(const MediaRow& row) {
    DataQuery& q = db->AdminQuery;
    q.close();
    q.unprepare();
    q.clearParams();
    q.setSQL("insert into ImageData (SeqNumber, ReqID, DocDefn, ZipName, CDLabel, CDWriteTime, ScanTime, ImageInfo) "
             "values (:QSeq, :QReqId, :QDoc, :QZip, :QLabel, :QWritten, :QScan, :QInfo)");
    q.setParamInteger("QSeq", row.seq);
    q.setParamText("QReqId", row.reqId);
    q.setParamText("QDoc", row.docDefn);
    if (row.zipName.isEmpty())
        q.setParamNull("QZip");
    else
        q.setParamText("QZip", row.zipName);
    if (row.label.isEmpty())
        q.setParamNull("QLabel");
    else
        q.setParamText("QLabel", row.label);
    if (row.written)
        q.setParamDateTime("QWritten", ToTDateTime(scanTime));
    else
        q.setParamNull("QWritten");
    q.setParamDateTime("QScan", ToTDateTime(scanTime));
    q.setParamText("QInfo", QStringLiteral("Pages 1, 1 bit"));
    ASSERT_TRUE(q.prepare() && q.execSQL()) << q.errorText().toStdString();
}

const QByteArray& MediaRig::tiff() {
    if (m_tiff.isEmpty()) {
        const QString page = writePage(QStringLiteral("page.tif"), 1, TiffCompression::CcittG4, 40.0, 50);
        m_tiff = test::ReadFileBytes(page);
        QFile::remove(page);
    }
    return m_tiff;
}

QString MediaRig::backupImage(qint32 seq, const QString& reqId, const QString& label) {
    const QString key = reqId + QStringLiteral("~REQS1A");
    local(key + QStringLiteral(".tif"), tiff());
    const QString z = media.CurrentZipFileFor(key);
    const QString zipName = WithoutExtension(QFileInfo(z).fileName());
    const int r = station.setup().SigningOn
                      ? backupSigned(key)
                      : media.ZipAddAndCommit(z, localDir + key + QStringLiteral(".tif"),
                                              ZipDestinationDir(station.setup(), ZipGroupOf(key, "**")));
    EXPECT_GT(r, 0) << archive.LastBackupError.toStdString();
    if (r >= ZipCapacity) {
        // The zip file just moved: the rows of all of it take the label, as the backup pass does.
        addRow({seq, reqId, QStringLiteral("REQS1A"), zipName, QString(), false});
        DataQuery& q = db->AdminQuery;
        q.close();
        q.unprepare();
        q.clearParams();
        q.setSQL("update ImageData set CDLabel = :QLabel, CDWriteTime = :QWritten where ZipName = :QZip");
        q.setParamText("QLabel", label);
        q.setParamDateTime("QWritten", ToTDateTime(scanTime.addDays(1)));
        q.setParamText("QZip", zipName);
        EXPECT_TRUE(q.prepare() && q.execSQL()) << q.errorText().toStdString();
    } else {
        addRow({seq, reqId, QStringLiteral("REQS1A"), zipName, QString(), false});
    }
    return zipName;
}

QStringList MediaRig::column(const QString& column, const QString& table, const QString& where) {
    DataQuery& q = db->imageQuery;
    q.close();
    q.unprepare();
    q.clearParams();
    q.setSQL(QStringLiteral("select %1 from %2 %3 order by SeqNumber").arg(column, table, where));
    EXPECT_TRUE(q.prepare() && q.open()) << q.errorText().toStdString();
    QStringList values;
    for (q.first(); !q.eof(); q.next()) values << q.field(0).asString();
    q.close();
    return values;
}

int MediaRig::count(const QString& table, const QString& where) {
    return static_cast<int>(column(QStringLiteral("SeqNumber"), table, where).size());
}

FinaliseMedia& MediaRig::finalise() {
    if (!m_finalise) {
        m_finalise = std::make_unique<FinaliseMedia>(station, media, archive, codec, smime, volumes);
        FinaliseView& v = m_finalise->view;
        v.pause = [](int) {};
        v.startProgram = [this](const QString& program, const QStringList& args, const QString&) {
            started << program + QLatin1Char(' ') + args.join(QLatin1Char(' '));
        };
        v.closeProgram = [this] { closed = true; };
    }
    return *m_finalise;
}

} // namespace kestrova::mediatest
