#pragma once

#include "core/db/TImageDataModule.h"
#include "core/ports/PageImage.h"
#include "core/station/Station.h"
#include "core/store/ConvertProcess.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "support/FakeClock.h"
#include "support/ScriptedPrompter.h"

#include <QTemporaryDir>
#include <memory>

namespace kestrova::storetest {

// One row of ImageData as the tests read it.
struct StoredRow {
    qint32 SeqNumber = 0;
    QString ReqID;
    QString DocDefn;
    bool SentToSystem = false;
    QString ScanTime;
    QString ViewTime;
};

// A station in a temporary directory with decoded, remote decoded, image store (mask "**"), local
// images and backup directories, the documents ~REQ (21 cm) and ~HIST (29.7 cm), scanner S1, both
// copies at 100 %, a fresh image database from the build's blank template and the real codec.
struct StoreRig {
    StoreRig();
    // A station whose directories lie below root (made when missing), with scanner identifier
    // scannerId, on a database other stations share: an SQLite file or a PostgreSQL URI.
    StoreRig(const QString& root, const QString& scannerId, DbEngine engine, const QString& target);

    // Writes a white page with some print, 210 mm wide and heightMm tall at dpi, as decodedDir +
    // name, in the format of the name's extension (TIFF with compression). bits 1 or 8.
    QString writePage(const QString& name, int bits = 1, TiffCompression compression = TiffCompression::CcittG4,
                      double heightMm = 210.0, int dpi = 100, const QString& dir = {});
    // Writes bytes as decodedDir + name.
    QString writeBytes(const QString& name, const QByteArray& bytes);
    // Makes the next sequence number n (an archived row with n - 1).
    void setNextSeq(qint32 n);

    ConvertSummary run(FileSecurity* security = nullptr);
    QList<StoredRow> rows();
    // Event log lines from the oldest, without their time stamps.
    QStringList log() const;
    // Files below a directory, relative to it, sorted.
    static QStringList files(const QString& dir);

    QTemporaryDir dir;
    QString root; // ends with "/"
    test::ScriptedPrompter prompter;
    test::FakeClock clock;
    Station station{prompter, clock};
    LeptonicaImageCodec codec;
    std::unique_ptr<TImageDataModule> db;
    QString decodedDir, remoteDir, storeDir, localDir, backupDir;

private:
    void setUp(const QString& rootDir, const QString& scannerId);
};

// Runs an Access-dialect statement; fails the test on error.
void Exec(TImageDataModule& db, const QString& statement);

} // namespace kestrova::storetest
