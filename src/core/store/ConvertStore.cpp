// One page of the convert pass, and the settling of a page a killed pass left half done.
#include "core/config/SetupInfo.h"
#include "core/db/NumberedInsert.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/PageImage.h"
#include "core/station/Station.h"
#include "core/store/ConvertNames.h"
#include "core/store/ConvertProcess.h"
#include "core/store/ConvertSecurity.h"
#include "core/util/FaultPoint.h"
#include "core/util/FileListing.h"
#include "core/util/FileUtil.h"
#include "core/util/SafePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kestrova {

namespace {

// The row's sequence number is taken from NextSeq in the transaction that inserts it, so stations
// side by side on one database never take the same number.
const QString InsertImageData = QStringLiteral("insert into Imagedata (SeqNumber, ReqID, DocDefn, Scantime, ViewTime, "
                                               "SentToSystem )") +
                                QStringLiteral(" values ( ") + NextSeqValue +
                                QStringLiteral(", :QReqID, :QDocDefn, :QScantime, :QViewTime, :QSenttoSystem)");

// Creates the directory of path when it is missing (one level). Empty, or why it failed.
QString MakeParentDirectory(const QString& path) {
    const QString dir = QFileInfo(path).path();
    if (dir.isEmpty() || QFileInfo(dir).isDir()) return {};
    if (QDir().mkdir(dir) || QFileInfo(dir).isDir()) return {};
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A name beside final that this process writes the copy under before renaming it into place;
// hidden, and short whatever the length of the final name.
QString TemporaryFor(const QString& final, const QString& suffix, char tag) {
    return QFileInfo(final).path() + QStringLiteral("/.kc") + QString::number(::getpid(), 16) + QLatin1Char('-') +
           suffix + QLatin1Char(tag) + QStringLiteral(".tmp");
}

// Renames from to to unless to exists. Empty, or why it failed.
QString RenameIntoPlace(const QString& from, const QString& to) {
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0) return {};
    if (errno == EINVAL || errno == ENOSYS) {
        // File systems without the no-replace rename: the name was found free a moment ago.
        if (!QFileInfo::exists(to) && std::rename(src.constData(), dst.constData()) == 0) return {};
    }
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Deletes a decoded file. Empty when it is gone, or why it stays.
QString RemoveDecoded(const QString& path) {
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT) return {};
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool Disabled(const QString& slot) {
    return slot == DriveDisabled;
}

} // namespace

void ConvertProcess::keepUndeletable(const ConvertEntry& entry, const QString& why, ConvertJournal& journal) {
    m_station.LogEvent(QStringLiteral("Error deleting ") + entry.decoded +
                       QStringLiteral(" during storefiles process."));
    const QString keepError = journal.keep(entry.decoded);
    m_station.LogEvent(entry.decoded + QStringLiteral(" is stored as ") + entry.ReqID + QStringLiteral("~") +
                       entry.DocDefn + QStringLiteral(" but cannot be deleted (") + why +
                       (keepError.isEmpty() ? QStringLiteral("); it stays and is not stored again.")
                                            : QStringLiteral("); it stays, and the list of such files cannot be "
                                                             "written: ") +
                                                  keepError));
}

void ConvertProcess::settleKept(ConvertJournal& journal) {
    // A kept file that is gone, or can be deleted now, leaves the list.
    for (const KeptFile& file : journal.kept()) {
        if (RemoveDecoded(file.path).isEmpty()) journal.forget(file.path);
    }
}

ConvertProcess::Outcome ConvertProcess::convertFile(const WorkItem& item, qint32 sequence, ConvertJournal& journal) {
    const QString& p = item.path;
    if (item.size == QLatin1String("0")) return Outcome::Skipped;
    if (journal.isKept(p)) return Outcome::Kept;
    const TDateTime scanTime = ReadListingTime(item.created, QLocale::system());
    const setupinformation& setup = m_station.setup().SetupInfo;
    const QString& storeDir = setup.Directories[SlotImageStore];
    const QString& localDir = setup.Directories[SlotLocalImages];
    const bool storeOn = !Disabled(storeDir);

    const Loaded page = load(p);
    if (!page.image) return Outcome::Failed;
    const QString& s = page.saveExtension;
    const int k = MatchDocument(setup, page.image->height(), page.image->yResolution());
    const DecodedName name = SplitDecodedName(QFileInfo(p).fileName(), setup, k);
    const QString unsafe = name.ok ? UnsafeNameReason(name.ReqID + name.G + s) : QString();
    if (!name.ok || !unsafe.isEmpty()) {
        m_station.LogEvent(QStringLiteral("Cannot store ") + p + QStringLiteral(" because ") +
                           (name.ok ? QStringLiteral("its name is not usable: ") + unsafe : name.problem) +
                           QStringLiteral("; rename it to request number + \"~\" + document code."));
        return Outcome::Failed;
    }

    // A suffix free for both copies, so that neither overwrites an earlier image.
    QString b = name.ReqID + name.G;
    QStringList targets;
    if (storeOn) targets << storeDir + MaskedSubPath(b + s, m_station.setup().StoreMask);
    targets << localDir + b + s;
    const QString u = UniqueNameSuffix(QString(), targets, ToTDateTime(m_station.clock().now()), m_station.clock());
    if (u.isEmpty()) {
        m_station.LogEvent(QStringLiteral("Cannot store ") + p + QStringLiteral(" because no free name is left for ") +
                           b + s);
        return Outcome::Failed;
    }
    b += u;

    ConvertEntry entry;
    entry.decoded = p;
    entry.ReqID = name.ReqID;
    entry.DocDefn = (name.G + u).mid(1);
    entry.sequence = sequence;
    if (storeOn) {
        entry.store = storeDir + MaskedSubPath(b + s, m_station.setup().StoreMask);
        entry.storeTemp = TemporaryFor(entry.store, u, 's');
    }
    entry.local = localDir + b + s;
    entry.localTemp = TemporaryFor(entry.local, u, 'l');
    const bool inside = (!storeOn || StaysInside(storeDir, entry.store)) && StaysInside(localDir, entry.local);
    if (!inside || entry.store.toUtf8().contains('\0')) {
        m_station.LogEvent(QStringLiteral("Cannot store ") + p + QStringLiteral(" because its store name ") + b + s +
                           QStringLiteral(" would leave the image store or the local images directory."));
        return Outcome::Failed;
    }
    const QString journalError = journal.begin(entry);
    if (!journalError.isEmpty()) {
        m_station.LogEvent(QStringLiteral("Cannot store ") + p + QStringLiteral(" because the convert journal ") +
                           journal.entryPath() + QStringLiteral(" cannot be written: ") + journalError);
        return Outcome::EndPass;
    }
    FaultPoint("convert.journal");
    const Outcome copied = storeCopies(page, entry, k, journal);
    if (copied != Outcome::Recorded) return copied;
    return recordAndRemove(entry, scanTime, journal);
}

ConvertProcess::Outcome ConvertProcess::storeCopies(const Loaded& page, const ConvertEntry& entry, int k,
                                                    ConvertJournal& journal) {
    const setupinformation& setup = m_station.setup().SetupInfo;
    const auto undo = [&entry, &journal] {
        RemoveWithWriterLeftovers(entry.storeTemp);
        RemoveWithWriterLeftovers(entry.localTemp);
        journal.clear();
        return Outcome::Failed;
    };
    if (!entry.store.isEmpty()) {
        const QString dirError = MakeParentDirectory(entry.store);
        if (!dirError.isEmpty()) m_station.LogEvent(dirError + QStringLiteral(" creating ") + entry.store);
        const QString error = writeCopy(page, entry.decoded, entry.storeTemp, setup.ViewImageSize);
        if (!error.isEmpty()) {
            m_station.LogEvent(QStringLiteral("Failed to create file ") + entry.store + QStringLiteral(" with ") +
                               error);
            return undo();
        }
        FaultPoint("convert.store-written");
        if (m_station.setup().FileSecurityOn && k != -1)
            SecureStoreCopy(m_station, m_security, entry.storeTemp, setup.DocDefs[k], entry.store);
    }
    const QString localError = writeCopy(page, entry.decoded, entry.localTemp, setup.BackupImageSize);
    if (!localError.isEmpty()) {
        m_station.LogEvent(QStringLiteral("Failed to create file ") + entry.local + QStringLiteral(" with ") +
                           localError);
        return undo();
    }
    FaultPoint("convert.local-written");
    for (const auto& [temp, final] :
         {std::pair{entry.storeTemp, entry.store}, std::pair{entry.localTemp, entry.local}}) {
        if (final.isEmpty()) continue;
        const QString error = RenameIntoPlace(temp, final);
        if (!error.isEmpty()) {
            m_station.LogEvent(QStringLiteral("Failed to create file ") + final + QStringLiteral(" with ") + error);
            if (final == entry.local) RemoveWithWriterLeftovers(entry.store);
            return undo();
        }
        FaultPoint("convert.renamed");
    }
    return Outcome::Recorded;
}

ConvertProcess::Outcome ConvertProcess::recordAndRemove(const ConvertEntry& entry, TDateTime scanTime,
                                                        ConvertJournal& journal) {
    const QString& p = entry.decoded;
    bool lockError = false;
    const QString error = record(entry, scanTime, lockError);
    if (!error.isEmpty()) {
        // No row refers to the copies: take them away so the next pass does not leave a second set.
        RemoveWithWriterLeftovers(entry.store);
        RemoveWithWriterLeftovers(entry.local);
        journal.clear();
        m_station.LogEvent(QStringLiteral("Error deleting ") + p + QStringLiteral(" during storefiles process. ") +
                           error);
        if (lockError) {
            // Every further page would wait for the same lock: they stay for the next pass.
            m_station.LogEvent(QStringLiteral("The image database is locked by another user; the remaining files "
                                              "wait for the next pass."));
            return Outcome::EndPass;
        }
        return Outcome::NotRecorded;
    }
    FaultPoint("convert.inserted");
    Outcome outcome = Outcome::Recorded;
    const QString why = RemoveDecoded(p);
    if (!why.isEmpty()) {
        keepUndeletable(entry, why, journal);
        outcome = Outcome::StoredKept;
    }
    FaultPoint("convert.deleted");
    journal.clear();
    return outcome;
}

QString ConvertProcess::record(const ConvertEntry& entry, TDateTime scanTime, bool& lockError) {
    TImageDataModule* db = m_station.DataModule;
    if (!db) return QStringLiteral("no image database");
    db->SetGeneralSQL(InsertImageData);
    DataQuery& q = db->FileImageDataQuery;
    q.clearParams();
    q.setParamText(QStringLiteral("QReqID"), entry.ReqID);
    q.setParamText(QStringLiteral("QDocDefn"), entry.DocDefn);
    q.setParamDateTime(QStringLiteral("QScanTime"), scanTime);
    q.setParamDateTime(QStringLiteral("QViewTime"), ToTDateTime(m_station.clock().now()));
    q.setParamYesNo(QStringLiteral("QSenttoSystem"), !m_station.ui.ServerGroupVisible);
    const NumberedInsertResult inserted = InsertWithNextSeq(*db, q);
    q.close();
    lockError = !inserted.ok && inserted.lockError;
    if (inserted.ok) return {};
    return inserted.error.isEmpty() ? QStringLiteral("Unknown database error") : inserted.error;
}

int ConvertProcess::rowCount(const ConvertEntry& entry, QString& error) {
    TImageDataModule* db = m_station.DataModule;
    if (!db) {
        error = QStringLiteral("no image database");
        return -1;
    }
    db->SetGeneralSQL(QStringLiteral("select count(SeqNumber) as Stored from ImageData where ReqID = :QReqID and "
                                     "DocDefn = :QDocDefn"));
    DataQuery& q = db->FileImageDataQuery;
    q.clearParams();
    q.setParamText(QStringLiteral("QReqID"), entry.ReqID);
    q.setParamText(QStringLiteral("QDocDefn"), entry.DocDefn);
    int count = -1;
    if (q.prepare() && q.open() && !q.eof()) count = q.fieldByName(QStringLiteral("Stored")).asInteger();
    if (count < 0) error = q.errorText();
    q.close();
    return count;
}

bool ConvertProcess::recover(ConvertJournal& journal) {
    settleKept(journal);
    const std::optional<ConvertEntry> entry = journal.pending();
    if (!entry) return true;
    QString error;
    const int rows = rowCount(*entry, error);
    if (rows < 0) {
        m_station.LogEvent(QStringLiteral("Cannot settle the interrupted store of ") + entry->decoded +
                           QStringLiteral(": ") + error + QStringLiteral("; converting waits for the next pass."));
        return false;
    }
    RemoveWithWriterLeftovers(entry->storeTemp);
    RemoveWithWriterLeftovers(entry->localTemp);
    if (rows == 0) {
        // Not recorded: the copies go, and the decoded file is stored afresh.
        RemoveWithWriterLeftovers(entry->store);
        RemoveWithWriterLeftovers(entry->local);
        m_station.LogEvent(QStringLiteral("The store of ") + entry->decoded +
                           QStringLiteral(" was interrupted before it was recorded; it is stored again."));
    } else {
        // Recorded: only the decoded file may be left to remove.
        m_station.LogEvent(QStringLiteral("The store of ") + entry->decoded +
                           QStringLiteral(" was interrupted after it was recorded; it is finished."));
        const QString why = RemoveDecoded(entry->decoded);
        if (!why.isEmpty()) keepUndeletable(*entry, why, journal);
    }
    const QString cleared = journal.clear();
    if (!cleared.isEmpty()) {
        m_station.LogEvent(QStringLiteral("Cannot settle the interrupted store of ") + entry->decoded +
                           QStringLiteral(": ") + cleared);
        return false;
    }
    return true;
}

} // namespace kestrova
