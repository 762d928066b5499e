#pragma once

#include "../sign/SignRig.h"
#include "core/admin/FinaliseMedia.h"
#include "core/admin/MediaTasks.h"
#include "support/FakeVolumes.h"

#include <QByteArray>
#include <QString>

namespace kestrova::mediatest {

// One ImageData row as the media tests write it.
struct MediaRow {
    qint32 seq = 0;
    QString reqId;
    QString docDefn = QStringLiteral("REQS1A");
    QString zipName;     // empty: none
    QString label;       // empty: null
    bool written = true; // CDWriteTime set
};

// A signing station (the SignRig) whose backup destination is the labelled medium CD0001 with room
// to spare, with the media tasks on it. Signing is switched off unless a test asks for it.
struct MediaRig : signtest::SignRig {
    explicit MediaRig(bool signing = false);

    void addRow(const MediaRow& row);
    // A small 1-bit TIFF page that loads.
    const QByteArray& tiff();
    // Backs up the local copy key + ".tif" (a real page) into its group's zip file as the backup
    // pass does, and records its row with the zip name (label and write time only when the zip file
    // was completed and moved). Returns the zip name.
    QString backupImage(qint32 seq, const QString& reqId, const QString& label = QStringLiteral("CD0001"));
    // Column values of ImageData (or ImageArchive) ordered by SeqNumber.
    QStringList column(const QString& column, const QString& table = QStringLiteral("ImageData"),
                       const QString& where = QString());
    int count(const QString& table, const QString& where = QString());

    FinaliseMedia& finalise();

    test::FakeVolumes volumes;
    std::unique_ptr<FinaliseMedia> m_finalise;
    QStringList started; // programs the finalise run started
    bool closed = false;

private:
    QByteArray m_tiff;
};

} // namespace kestrova::mediatest
