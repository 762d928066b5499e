#include "StoreRig.h"

#include "support/BatchSketch.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace kestrova::storetest {

StoreRig::StoreRig() {
    setUp(dir.path() + QLatin1Char('/'), QStringLiteral("S1"));
    const QString file = root + QStringLiteral("images.mdb");
    QFile::copy(QStringLiteral(KESTROVA_BIN_DIR "/ImageDatabase/KestrovaImageDataBlank.mdb"), file);
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    db = std::make_unique<TImageDataModule>(station, file);
    station.DataModule = db.get();
}

StoreRig::StoreRig(const QString& rootDir, const QString& scannerId, DbEngine engine, const QString& target) {
    setUp(rootDir.endsWith(QLatin1Char('/')) ? rootDir : rootDir + QLatin1Char('/'), scannerId);
    if (engine == DbEngine::SQLite) {
        db = std::make_unique<TImageDataModule>(station, target);
    } else {
        const std::optional<PostgresConfig> server = ParsePostgresUri(target);
        EXPECT_TRUE(server) << target.toStdString();
        if (server) db = std::make_unique<TImageDataModule>(station, *server);
    }
    station.DataModule = db.get();
}

void StoreRig::setUp(const QString& rootDir, const QString& scannerId) {
    root = rootDir;
    decodedDir = root + QStringLiteral("decoded/");
    remoteDir = root + QStringLiteral("remote/");
    storeDir = root + QStringLiteral("store/");
    localDir = root + QStringLiteral("local/");
    backupDir = root + QStringLiteral("backup/");
    for (const QString& d : {decodedDir, remoteDir, storeDir, localDir, backupDir}) QDir().mkpath(d);
    station.editSetup().ProgramDir = root;
    setupinformation& setup = station.editSetup().SetupInfo;
    setup.Directories[SlotDecoded] = decodedDir;
    setup.Directories[SlotRemoteDecoded] = remoteDir;
    setup.Directories[SlotImageStore] = storeDir;
    setup.Directories[SlotLocalImages] = localDir;
    setup.Directories[SlotBackup] = backupDir;
    station.editSetup().StoreMask = QStringLiteral("**");
    docdefinition req;
    req.DocName = QStringLiteral("Request form");
    req.DocCode = QStringLiteral("~REQ");
    req.PageLength = 2100;
    docdefinition hist;
    hist.DocName = QStringLiteral("Histology");
    hist.DocCode = QStringLiteral("~HIST");
    hist.PageLength = 2970;
    setup.DocDefs = {req, hist};
    setup.DocDefCount = 2;
    setup.ScannerId = scannerId;
    setup.ViewImageSize = 100;
    setup.BackupImageSize = 100;
}

QString StoreRig::writePage(const QString& name, int bits, TiffCompression compression, double heightMm, int dpi,
                            const QString& inDir) {
    decodetest::PageSketch sketch(dpi, 210.0, heightMm);
    sketch.text(20.0, heightMm / 2);
    std::unique_ptr<PageImage> image = sketch.image(codec);
    EXPECT_TRUE(image);
    if (!image) return {};
    if (bits != 1) {
        auto deeper = image->converted(bits);
        EXPECT_TRUE(deeper) << deeper.error().toStdString();
        image = std::move(deeper.value());
    }
    const QString path = (inDir.isEmpty() ? decodedDir : inDir) + name;
    const QString ext = QFileInfo(name).suffix().toLower();
    Status saved;
    if (ext == QLatin1String("tif")) {
        saved = image->saveTiff(path, compression, TiffSaveMode::Replace);
    } else {
        const ImageFileFormat format = ext == QLatin1String("bmp")   ? ImageFileFormat::Bmp
                                       : ext == QLatin1String("png") ? ImageFileFormat::Png
                                                                     : ImageFileFormat::Jpeg;
        saved = image->saveAs(path, format);
    }
    EXPECT_TRUE(saved) << saved.error().toStdString();
    return path;
}

QString StoreRig::writeBytes(const QString& name, const QByteArray& bytes) {
    EXPECT_TRUE(test::WriteFile(decodedDir + name, bytes)) << name.toStdString();
    return decodedDir + name;
}

void StoreRig::setNextSeq(qint32 n) {
    Exec(*db,
         QStringLiteral("insert into ImageArchive (SeqNumber, ReqID, DocDefn) values (%1, \"OLD\", \"X\")").arg(n - 1));
}

ConvertSummary StoreRig::run(FileSecurity* security) {
    ConvertProcess convert(station, codec, security);
    return convert.ConvertDecodedImages();
}

QList<StoredRow> StoreRig::rows() {
    DataQuery& q = db->AdminQuery;
    q.close();
    q.setSQL(QStringLiteral(
        "select SeqNumber, ReqID, DocDefn, SentToSystem, ScanTime, ViewTime from ImageData order by SeqNumber"));
    QList<StoredRow> found;
    EXPECT_TRUE(q.open()) << q.errorText().toStdString();
    for (q.first(); !q.eof(); q.next()) {
        found.append({q.fieldByName(QStringLiteral("SeqNumber")).asInteger(),
                      q.fieldByName(QStringLiteral("ReqID")).asString(),
                      q.fieldByName(QStringLiteral("DocDefn")).asString(),
                      q.fieldByName(QStringLiteral("SentToSystem")).asBoolean(),
                      q.fieldByName(QStringLiteral("ScanTime")).asString(),
                      q.fieldByName(QStringLiteral("ViewTime")).asString()});
    }
    q.close();
    return found;
}

QStringList StoreRig::log() const {
    QStringList lines;
    for (const QString& line : station.eventLog().lines())
        lines.prepend(line.mid(line.indexOf(QStringLiteral(" +")) + 2));
    return lines;
}

QStringList StoreRig::files(const QString& dir) {
    return test::FilesBelow(dir);
}

void Exec(TImageDataModule& db, const QString& statement) {
    DataQuery& q = db.AdminQuery;
    q.close();
    q.setSQL(statement);
    EXPECT_TRUE(q.prepare() && q.execSQL()) << statement.toStdString() << ": " << q.errorText().toStdString();
    q.close();
}

} // namespace kestrova::storetest
