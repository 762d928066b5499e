#include "core/store/ConvertProcess.h"

#include "core/config/SetupInfo.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/PageImage.h"
#include "core/scan/DecodeImages.h"
#include "core/station/CursorRestore.h"
#include "core/station/ScreenCursors.h"
#include "core/station/Station.h"
#include "core/store/ImageExtensions.h"
#include "core/store/SaveImageAs.h"
#include "core/util/FileListing.h"
#include "core/util/FileUtil.h"

#include <QFileInfo>
#include <QLocale>
#include <QLockFile>

#include <filesystem>

namespace kestrova {

namespace {

bool Configured(const QString& slot) {
    return !slot.isEmpty() && slot != DriveDisabled;
}

} // namespace

ConvertProcess::ConvertProcess(Station& station, const ImageCodec& codec, FileSecurity* security)
    : m_station(station), m_codec(codec), m_security(security) {}

void ConvertProcess::reportMissing(const QString& dir, bool missing) {
    // Told once when a directory goes missing and once when it is back, not on every tick.
    if (missing && !m_reportedMissing.contains(dir)) {
        m_station.LogEvent(QStringLiteral("The directory ") + dir +
                           QStringLiteral(" is missing; the convert process cannot use it."));
        m_reportedMissing.insert(dir);
    } else if (!missing && m_reportedMissing.remove(dir)) {
        m_station.LogEvent(QStringLiteral("The directory ") + dir + QStringLiteral(" is there again."));
    }
}

bool ConvertProcess::directoriesUsable(ConvertSummary& summary) {
    const auto& dirs = m_station.setup().SetupInfo.Directories;
    for (const int slot : {SlotDecoded, SlotRemoteDecoded, SlotImageStore, SlotLocalImages}) {
        const QString& dir = dirs[slot];
        if (!Configured(dir)) continue;
        const bool missing = !QFileInfo(dir).isDir();
        reportMissing(dir, missing);
        if (missing) summary.missingDirectories << dir;
    }
    // Without the store or the local images directory no page can be stored; a missing decoded
    // directory only has nothing to give.
    for (const int slot : {SlotImageStore, SlotLocalImages}) {
        if (summary.missingDirectories.contains(dirs[slot])) return false;
    }
    return true;
}

QList<ConvertProcess::WorkItem> ConvertProcess::gather(ConvertSummary& summary) {
    QList<WorkItem> work;
    const QLocale locale = QLocale::system();
    for (const int slot : {SlotDecoded, SlotRemoteDecoded}) {
        const QString dir = m_station.setup().SetupInfo.Directories[slot];
        if (!Configured(dir) || summary.missingDirectories.contains(dir)) continue;
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
    QString error = QStringLiteral("no image database");
    if (db) {
        db->SetGeneralSQL(QStringLiteral("select * from NextSeq"));
        DataQuery& q = db->FileImageDataQuery;
        if (q.prepare() && q.open()) {
            if (!q.eof() && !q.fieldByName(QStringLiteral("NextSeqNum")).isNull()) {
                sequence = q.fieldByName(QStringLiteral("NextSeqNum")).asInteger();
                ok = true;
            } else {
                error = QStringLiteral("NextSeq gave no number");
            }
        } else {
            error = q.errorText();
        }
        q.close();
    }
    if (!ok) {
        m_station.LogEvent(
            QStringLiteral("Error looking up Sequence Numbers in the Convert Process.  Database may be damaged: ") +
            error);
    }
    return ok;
}

ConvertSummary ConvertProcess::ConvertDecodedImages() {
    ConvertSummary summary;
    const bool usable = directoriesUsable(summary);
    const QString localDir = m_station.setup().SetupInfo.Directories[SlotLocalImages];
    ConvertJournal journal(localDir);
    QList<WorkItem> work = gather(summary);
    summary.listed = static_cast<int>(work.size());
    if (!usable) {
        summary.notRun = true;
        return summary;
    }
    if (!Configured(localDir)) {
        // Every stored image needs its local copy for the backups.
        for (const WorkItem& item : work) {
            if (item.size == QLatin1String("0")) continue;
            m_station.LogEvent(QStringLiteral("Cannot store ") + item.path +
                               QStringLiteral(" because the local images directory is not set up."));
            ++summary.failed;
        }
        return summary;
    }
    // One pass at a time per station: the workstation's timer and a command-line pass never
    // work on the same page.
    QLockFile lock(journal.entryPath() + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        m_station.LogEvent(QStringLiteral("Another convert process of this station is running; this pass ends."));
        summary.notRun = true;
        return summary;
    }
    // The journal goes with the pass, unless it holds a page that could not be settled.
    struct JournalClose {
        ConvertJournal& journal;
        ~JournalClose() {
            if (!journal.pending()) journal.close();
        }
    } journalClose{journal};
    if (!recover(journal)) {
        summary.notRun = true;
        return summary;
    }
    // A copy into the decoded directory that was killed before its rename ("Duplicate with New ID")
    // left a hidden file that nothing else would remove.
    for (const int slot : {SlotDecoded, SlotRemoteDecoded}) {
        const QString dir = m_station.setup().SetupInfo.Directories[slot];
        if (Configured(dir) && !summary.missingDirectories.contains(dir)) RemoveUnheldTemporaries(dir);
    }
    // The interrupted page, or a kept file deleted at last, may have left the decoded directory.
    work.removeIf([](const WorkItem& item) { return !QFileInfo::exists(item.path); });
    summary.listed = static_cast<int>(work.size());
    if (work.isEmpty()) return summary;
    CursorRestore restore(m_station);
    m_station.SetScreenCursor(crFileStA);
    // NextSeq as the pass begins: the number the next row gets unless another station or the LIS
    // inserts first. Each row's own number is taken when it is inserted; this one only goes into
    // the journal, for people reading it.
    qint32 sequence = 0;
    if (!readSequence(sequence)) {
        summary.sequenceFailed = true;
        return summary;
    }
    int handled = 0;
    for (const WorkItem& item : work) {
        if (m_station.task().ConvertStop()) break;
        const Outcome outcome = convertFile(item, sequence, journal);
        if (outcome == Outcome::Skipped) continue;
        if (outcome == Outcome::Kept) {
            ++summary.kept;
            continue;
        }
        if (outcome == Outcome::Failed) {
            ++summary.failed;
            continue;
        }
        if (outcome == Outcome::EndPass) {
            ++summary.failed;
            break;
        }
        if (outcome == Outcome::Recorded)
            ++summary.stored;
        else if (outcome == Outcome::StoredKept)
            ++summary.kept;
        else
            ++summary.failed;
        m_station.SetScreenCursor(m_station.ScreenCursorNumber == crFileStA ? crFileStB : crFileStA);
        ++sequence;
        if (++handled % 20 == 0) m_station.processMessages();
    }
    return summary;
}

ConvertProcess::Loaded ConvertProcess::load(const QString& path) {
    const QString ext = QStringLiteral(".") + QFileInfo(path).suffix().toLower();
    const bool tiff = ext == QLatin1String(".tif");
    const QString failure = tiff ? QStringLiteral("I could not read ") : QStringLiteral("Could not read ");
    const Result<ImageFileInfo> info = m_codec.fileInfo(path, 0);
    QString error = info.error();
    if (info) {
        Result<LoadedPage> page = m_codec.loadPage(path, 0, info.value().bitsPerPixel);
        if (page && page.value().image) {
            Loaded loaded;
            // A TIFF is described by its directory, another file by the page as it was read.
            loaded.info = DecodeImageDocInfo(tiff ? info.value() : page.value().info, path, true);
            const int bits = page.value().image->bitsPerPixel();
            loaded.saveExtension = tiff || bits == 1 ? QStringLiteral(".tif") : ext;
            const int code = loaded.info.CompressionCode;
            loaded.sameBytes = tiff && info.value().pageCount == 1 && bits == info.value().bitsPerPixel &&
                               (code == 0 || code == 4 || code == 5 || (code == 3 && bits == 1));
            loaded.image = std::move(page.value().image);
            return loaded;
        }
        error = page.error();
    }
    m_station.LogEvent(failure + path + QStringLiteral(" because ") + error +
                       QStringLiteral(" Image must be rescanned!"));
    return {};
}

QString ConvertProcess::writeCopy(const Loaded& page, const QString& source, const QString& path, int percent) const {
    if (page.sameBytes && (percent <= 0 || percent == 100)) {
        std::error_code ec;
        std::filesystem::copy_file(source.toStdString(), path.toStdString(),
                                   std::filesystem::copy_options::overwrite_existing, ec);
        return ec ? QString::fromStdString(ec.message()) : QString();
    }
    if (page.saveExtension == QLatin1String(".tif"))
        return SaveTiffCopy(*page.image, path, page.info.CompressionCode, percent);
    return SaveImageAs(*page.image, path, page.saveExtension, percent);
}

} // namespace kestrova
