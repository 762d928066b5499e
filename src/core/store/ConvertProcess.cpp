#include "core/store/ConvertProcess.h"

#include "core/config/SetupInfo.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/PageImage.h"
#include "core/scan/DecodeImages.h"
#include "core/station/ScreenCursors.h"
#include "core/station/Station.h"
#include "core/store/ConvertNames.h"
#include "core/store/ConvertSecurity.h"
#include "core/store/ImageExtensions.h"
#include "core/store/SaveImageAs.h"
#include "core/util/FileListing.h"
#include "core/util/FileUtil.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <filesystem>
#include <system_error>

namespace kestrova {

namespace {

const QString InsertImageData = QStringLiteral("insert into Imagedata (SeqNumber, ReqID, DocDefn, Scantime, ViewTime, "
                                               "SentToSystem )") +
                                QStringLiteral(" values ( :QSeqNumber, :QReqID, :QDocDefn, :QScantime, :QViewTime, "
                                               ":QSenttoSystem)");

// Puts the previous screen cursor back however the pass ends.
class CursorRestore {
public:
    explicit CursorRestore(Station& station) : m_station(station), m_previous(station.ScreenCursorNumber) {}
    ~CursorRestore() { m_station.SetScreenCursor(m_previous); }
    CursorRestore(const CursorRestore&) = delete;
    CursorRestore& operator=(const CursorRestore&) = delete;

private:
    Station& m_station;
    int m_previous;
};

// Creates the directory of path when it is missing (one level). Empty, or why it failed.
QString MakeParentDirectory(const QString& path) {
    const std::filesystem::path dir = std::filesystem::path(path.toStdString()).parent_path();
    std::error_code ec;
    if (dir.empty() || std::filesystem::is_directory(dir, ec)) return {};
    if (std::filesystem::create_directory(dir, ec) || std::filesystem::is_directory(dir)) return {};
    return QString::fromStdString(ec.message());
}

bool Disabled(const QString& slot) {
    return slot == DriveDisabled;
}

} // namespace

ConvertProcess::ConvertProcess(Station& station, const ImageCodec& codec, FileSecurity* security)
    : m_station(station), m_codec(codec), m_security(security) {}

QList<ConvertProcess::WorkItem> ConvertProcess::gather() const {
    QList<WorkItem> work;
    const QLocale locale = QLocale::system();
    for (const int slot : {SlotDecoded, SlotRemoteDecoded}) {
        const QString dir = m_station.SetupInfo.Directories[slot];
        if (dir.isEmpty() || Disabled(dir)) continue;
        for (const QString& ext : ImageExtensions) {
            const QString listing =
                ListFiles(dir + QStringLiteral("*") + ext, 0, ListName | ListCreationTime | ListSize, locale);
            for (const QStringList& fields : ListingEntries(listing)) {
                if (fields.size() < 3) continue;
                work.append({dir + fields[0], fields[1], fields[2]});
            }
        }
    }
    return work;
}

bool ConvertProcess::readSequence(qint32& sequence) {
    TImageDataModule* db = m_station.DataModule;
    bool ok = false;
    if (db) {
        db->SetGeneralSQL(QStringLiteral("select * from NextSeq"));
        DataQuery& q = db->FileImageDataQuery;
        if (q.prepare() && q.open() && !q.eof() && !q.fieldByName(QStringLiteral("NextSeqNum")).isNull()) {
            sequence = q.fieldByName(QStringLiteral("NextSeqNum")).asInteger();
            ok = true;
        }
        q.close();
    }
    if (!ok) {
        m_station.LogEvent(
            QStringLiteral("Error looking up Sequence Numbers in the Convert Process.  Database may be damaged"));
    }
    return ok;
}

ConvertSummary ConvertProcess::ConvertDecodedImages() {
    ConvertSummary summary;
    const QList<WorkItem> work = gather();
    summary.listed = static_cast<int>(work.size());
    if (work.isEmpty()) return summary;

    CursorRestore restore(m_station);
    m_station.SetScreenCursor(crFileStA);
    qint32 sequence = 0;
    if (!readSequence(sequence)) {
        summary.sequenceFailed = true;
        return summary;
    }
    int handled = 0;
    for (const WorkItem& item : work) {
        if (m_station.ConvertStop) break;
        const Outcome outcome = convertFile(item, sequence);
        if (outcome == Outcome::Skipped) continue;
        if (outcome == Outcome::Failed) {
            ++summary.failed;
            continue;
        }
        (outcome == Outcome::Recorded ? summary.stored : summary.failed) += 1;
        m_station.SetScreenCursor(m_station.ScreenCursorNumber == crFileStA ? crFileStB : crFileStA);
        ++sequence;
        if (++handled % 20 == 0) m_station.processMessages();
    }
    return summary;
}

std::unique_ptr<PageImage> ConvertProcess::load(const QString& path, QString& saveExtension) {
    const QString ext = QStringLiteral(".") + QFileInfo(path).suffix().toLower();
    const bool tiff = ext == QLatin1String(".tif");
    const QString failure = tiff ? QStringLiteral("I could not read ") : QStringLiteral("Could not read ");
    const ImageResult<ImageFileInfo> info = m_codec.fileInfo(path, 0);
    QString error = info.error;
    if (info) {
        if (tiff) DecodeImageDocInfo(m_station.TilInfo, info.value, path, true);
        ImageResult<LoadedPage> page = m_codec.loadPage(path, 0, info.value.bitsPerPixel);
        if (page && page.value.image) {
            if (!tiff) DecodeImageDocInfo(m_station.TilInfo, page.value.info, path, true);
            saveExtension = tiff || page.value.image->bitsPerPixel() == 1 ? QStringLiteral(".tif") : ext;
            return std::move(page.value.image);
        }
        error = page.error;
    }
    m_station.LogEvent(failure + path + QStringLiteral(" because ") + error +
                       QStringLiteral(" Image must be rescanned!"));
    return nullptr;
}

QString ConvertProcess::writeCopy(const PageImage& image, const QString& path, const QString& extension,
                                  int percent) const {
    if (extension == QLatin1String(".tif"))
        return SaveTiffCopy(image, path, m_station.TilInfo.CompressionCode, percent);
    return SaveImageAs(image, path, extension, percent);
}

bool ConvertProcess::record(qint32 sequence, const QString& reqId, const QString& docDefn, TDateTime scanTime) {
    TImageDataModule* db = m_station.DataModule;
    if (!db) return false;
    db->SetGeneralSQL(InsertImageData);
    DataQuery& q = db->FileImageDataQuery;
    q.clearParams();
    q.setParamInteger(QStringLiteral("QSeqNumber"), sequence);
    q.setParamText(QStringLiteral("QReqID"), reqId);
    q.setParamText(QStringLiteral("QDocDefn"), docDefn);
    q.setParamDateTime(QStringLiteral("QScanTime"), scanTime);
    q.setParamDateTime(QStringLiteral("QViewTime"), ToTDateTime(m_station.clock().now()));
    q.setParamYesNo(QStringLiteral("QSenttoSystem"), !m_station.ui.ServerGroupVisible);
    const bool ok = q.prepare() && q.execSQL();
    q.close();
    return ok;
}

ConvertProcess::Outcome ConvertProcess::convertFile(const WorkItem& item, qint32 sequence) {
    const QString& p = item.path;
    if (item.size == QLatin1String("0")) return Outcome::Skipped;
    const TDateTime scanTime = ReadListingTime(item.created, QLocale::system());
    const setupinformation& setup = m_station.SetupInfo;
    const QString& storeDir = setup.Directories[SlotImageStore];
    const QString& localDir = setup.Directories[SlotLocalImages];
    const bool storeOn = !Disabled(storeDir);
    if (!storeOn && Disabled(localDir)) {
        m_station.LogEvent(
            QStringLiteral("Cannot store ") + p +
            QStringLiteral(" because neither the image store nor the local images directory is set up."));
        return Outcome::Failed;
    }

    QString s;
    const std::unique_ptr<PageImage> image = load(p, s);
    if (!image) return Outcome::Failed;
    const int k = MatchDocument(setup, image->height(), image->yResolution());
    const DecodedName name = SplitDecodedName(QFileInfo(p).fileName(), setup, k);
    if (!name.ok) {
        m_station.LogEvent(QStringLiteral("Cannot store ") + p + QStringLiteral(" because ") + name.problem +
                           QStringLiteral("; rename it to request number + \"~\" + document code."));
        return Outcome::Failed;
    }

    // A suffix free for both copies, so that neither overwrites an earlier image.
    QString b = name.ReqID + name.G;
    QStringList targets;
    if (storeOn) targets << storeDir + MaskedSubPath(b + s, m_station.StoreMask);
    targets << localDir + b + s;
    const QString u = UniqueNameSuffix(QString(), targets, ToTDateTime(m_station.clock().now()), m_station.clock());
    b += u;
    const QString docDefn = (name.G + u).mid(1);

    QString q;
    if (storeOn) {
        q = storeDir + MaskedSubPath(b + s, m_station.StoreMask);
        const QString dirError = MakeParentDirectory(q);
        if (!dirError.isEmpty()) m_station.LogEvent(dirError + QStringLiteral(" creating ") + q);
        const QString error = writeCopy(*image, q, s, setup.ViewImageSize);
        if (!error.isEmpty()) {
            m_station.LogEvent(QStringLiteral("Failed to create file ") + q + QStringLiteral(" with ") + error);
            return Outcome::Failed;
        }
        if (m_station.FileSecurityOn && k != -1) SecureStoreCopy(m_station, m_security, q, setup.DocDefs[k]);
    }

    const QString r = localDir + b + s;
    const QString localError = writeCopy(*image, r, s, setup.BackupImageSize);
    if (!localError.isEmpty()) {
        if (!q.isEmpty() && QFileInfo::exists(q)) QFile::remove(q);
        m_station.LogEvent(QStringLiteral("Failed to create file ") + r + QStringLiteral(" with ") + localError);
        return Outcome::Failed;
    }

    if (!record(sequence, name.ReqID, docDefn, scanTime)) {
        // No row refers to the copies: take them away so the next pass does not leave a second set.
        if (!q.isEmpty()) QFile::remove(q);
        QFile::remove(r);
        m_station.LogEvent(QStringLiteral("Error deleting ") + p + QStringLiteral(" during storefiles process."));
        return Outcome::NotRecorded;
    }
    if (!QFile::remove(p)) {
        m_station.LogEvent(QStringLiteral("Error deleting ") + p + QStringLiteral(" during storefiles process."));
        return Outcome::NotRecorded;
    }
    return Outcome::Recorded;
}

} // namespace kestrova
