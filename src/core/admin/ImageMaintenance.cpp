#include "core/admin/ImageMaintenance.h"

#include "core/config/SetupFile.h"
#include "core/db/TImageDataModule.h"
#include "core/station/Station.h"
#include "core/store/BackupFiles.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "core/util/DateTime.h"
#include "core/util/FileListing.h"
#include "core/util/FileUtil.h"
#include "core/util/SafePaths.h"
#include "core/util/StringUtil.h"

#include <QFile>
#include <QFileInfo>

namespace kestrova {

std::uint8_t CompressionCodeOf(const QString& compressionName) {
    static const char* const names[] = {"NONE", "CCITT", "FAXCCITT3", "FAXCCITT4", "LZW", "PACKBITS"};
    const QString upper = compressionName.toUpper();
    for (std::uint8_t i = 0; i < 6; ++i)
        if (upper == QLatin1String(names[i])) return i;
    return 0;
}

namespace {

QString Dir(const Station& station, int slot) {
    return WithTrailingSlash(station.setup().SetupInfo.Directories[slot]);
}

} // namespace

QString ImageMaintenance::StorePath(const QString& name) const {
    return Dir(m_station, SlotImageStore) + MaskedSubPath(name, m_station.setup().StoreMask);
}
QString ImageMaintenance::MediaPath(const QString& name) const {
    return Dir(m_station, SlotBackup) + MaskedSubPath(name, m_station.setup().StoreMask);
}
QString ImageMaintenance::LocalPath(const QString& name) const {
    return Dir(m_station, SlotLocalImages) + name;
}

QStringList ImageMaintenance::showimagelist(const QString& prefix) {
    const QString path = StorePath(prefix + QStringLiteral("*.*"));
    m_station.LogEvent(QStringLiteral("Searching for \"") + path + QLatin1Char('"'));
    // A prefix with a path in it would search outside the store.
    if (!UnsafeNameReason(prefix + QLatin1Char('x')).isEmpty() || !StaysInside(Dir(m_station, SlotImageStore), path))
        return {};
    QStringList names;
    for (const QStringList& fields : ListingEntries(ListFiles(path, AttrAny, ListName)))
        if (!fields.isEmpty()) names << fields.front();
    return names;
}

bool ImageMaintenance::PendingCheck() {
    const MainWindowState& ui = m_station.ui;
    if (ui.ScannedWaitingLabel == QLatin1String("0") && ui.DecodedWaitingLabel == QLatin1String("0") &&
        ui.CDGroupLabel == QLatin1String("0"))
        return true;
    m_station.prompter().message(PendingFilesCaption,
                                 QStringLiteral("You can't delete files when there are pending backups.\nPlease "
                                                "Return to the Main window and wait for the pending files to be "
                                                "backed up."),
                                 MessageIcon::None, MessageButtons::OkCancel);
    return false;
}

bool ImageMaintenance::ConfirmDeleteSelected() {
    return m_station.prompter().message(DeleteSelectedCaption,
                                        QStringLiteral("WARNING!! About to delete selected image files.\nThis will "
                                                       "permanently delete all record of these images.\nSelect OK to "
                                                       "permanently delete these images.\n"),
                                        MessageIcon::Warning, MessageButtons::OkCancel) == MessageResult::Ok;
}

bool ImageMaintenance::ConfirmDeleteList() {
    return m_station.prompter().message(
               DeleteAllCaption,
               QStringLiteral("WARNING!! About to delete ALL images files in this list.\nThis "
                              "will permanently delete all record of ALL these images.\nSelect "
                              "OK to permanently delete ALL these images.\n"),
               MessageIcon::Warning, MessageButtons::OkCancel) == MessageResult::Ok;
}

bool ImageMaintenance::markRows(const QString& reqId, const QString& docDefn, QString& error) {
    DataQuery& q = m_station.DataModule->AdminQuery;
    const QString set = QStringLiteral("set CDLabel = \"Deleted\", SentToSystem = True where ReqID = :QReqId and "
                                       "DocDefn = :QDocDefn");
    QStringList tables{QStringLiteral("Update Imagedata")};
    if (m_station.setup().SetupInfo.StationMode != ModeRemote) tables << QStringLiteral("Update ImageArchive");
    for (const QString& table : tables) {
        q.close();
        q.unprepare();
        q.clearParams();
        q.setSQL(QStringList{table, set});
        q.setParamText(QStringLiteral("QReqID"), reqId);
        q.setParamText(QStringLiteral("QDocDefn"), docDefn);
        if (!q.execSQL()) {
            error = q.errorText();
            q.unprepare();
            return false;
        }
    }
    q.unprepare();
    return true;
}

bool ImageMaintenance::killrecord(const QString& entry, QString& error) {
    if (const QString why = UnsafeNameReason(entry); !why.isEmpty()) {
        error = entry + QStringLiteral(": ") + why;
        return false;
    }
    if (!m_station.DataModule) {
        error = QStringLiteral("The image database is not available.");
        return false;
    }
    // The image's zip file may be open in a backup pass, which would write the entry back.
    ZipFilesLock lock(Dir(m_station, SlotLocalImages));
    if (!lock.tryLock(ZipFilesLock::Wait)) {
        error = ZipFilesLock::BusyText;
        return false;
    }
    const QString reqId = TextBefore(entry, QStringLiteral("~"));
    QString docDefn = TextAfter(entry, QStringLiteral("~"));
    const qsizetype dot = entry.lastIndexOf(QLatin1Char('.'));
    const qsizetype tilde = entry.indexOf(QLatin1Char('~'));
    if (dot > tilde && tilde >= 0) docDefn = entry.mid(tilde + 1, dot - tilde - 1);

    // Where the zip file is, read before anything changes.
    DataQuery& q = m_station.DataModule->AdminQuery;
    q.close();
    q.unprepare();
    q.clearParams();
    q.setSQL(QStringList{QStringLiteral("select ZipName from Imagedata"),
                         QStringLiteral("where ReqID = :QReqId and DocDefn = :QDocDefn")});
    q.setParamText(QStringLiteral("QReqID"), reqId);
    q.setParamText(QStringLiteral("QDocDefn"), docDefn);
    QString zipName;
    if (q.open() && !q.isEmpty()) zipName = q.fieldByName(QStringLiteral("Zipname")).asString();
    q.close();

    // The rows first: cut short after this, the image is still there to delete again; the other
    // way round a failing update would leave rows pointing at an image that is gone.
    if (!markRows(reqId, docDefn, error)) return false;

    QFile::remove(StorePath(entry));
    QFile::remove(LocalPath(entry));
    const QString media = MediaPath(entry);
    if (StaysInside(Dir(m_station, SlotBackup), media)) QFile::remove(media);

    if (!zipName.isEmpty() && UnsafeNameReason(zipName + QStringLiteral(".zip")).isEmpty()) {
        const QString zipFile = ZipFolder(m_station.setup()) + zipName + QStringLiteral(".zip");
        const QString mediaDir = WithTrailingSlash(QFileInfo(media).path());
        m_zips.DeleteFromZip(zipFile, entry, mediaDir); // a missing zip file or entry is no error here
    }
    return true;
}

QString ImageMaintenance::ViewFile(const QString& entry) const {
    if (!UnsafeNameReason(entry).isEmpty()) return QString();
    const QString local = LocalPath(entry);
    if (QFileInfo(local).isFile()) return local;
    const QString store = StorePath(entry);
    return QFileInfo(store).isFile() ? store : QString();
}

QString ImageMaintenance::DuplicateImage(const QString& newReference, const TilxInfo& info) {
    const auto failed = [this](const QString& why) {
        if (!why.isEmpty()) m_station.LogEvent(QStringLiteral("Duplicate with New ID: ") + why);
        m_station.prompter().message(DuplicateCaption, QStringLiteral("Duplication Failed"), MessageIcon::Error);
        return QString();
    };
    const setupinformation& setup = m_station.setup().SetupInfo;
    if (setup.DocDefs.isEmpty()) return failed(QStringLiteral("no document definitions are set up."));
    if (info.YResolution == 0) return failed(info.Filename + QStringLiteral(" has no vertical resolution."));
    const qint64 length = PageLengthOf(info.Height, static_cast<int>(info.YResolution));
    const QString docCode = setup.DocDefs.at(NearestDocDefinition(setup, length)).DocCode;
    const QString base = newReference + docCode;
    const QString decoded = WithTrailingSlash(setup.Directories[SlotDecoded]);
    // The request number is everything before the first "~", and the name must stay in its folder.
    if (newReference.contains(QLatin1Char('~')) || !UnsafeNameReason(base + QStringLiteral(".tif")).isEmpty())
        return failed(QStringLiteral("\"") + newReference + QStringLiteral("\" cannot be a request number."));
    const QDateTime now = m_station.clock().now();
    const QString suffix =
        UniqueNameSuffix(decoded, base + QStringLiteral(".tif"), ToTDateTime(now), m_station.clock());
    if (suffix.isEmpty()) return failed(QStringLiteral("no free name in ") + decoded);
    const QString target = decoded + base + suffix + QStringLiteral(".tif");
    // Copied under a hidden name and renamed into place complete: the convert pass never sees a
    // half-written file. A copy killed before its rename left its hidden file behind; it goes now.
    RemoveUnheldTemporaries(decoded);
    if (const QString why = CopyThroughHeldTemporary(info.Filename, target); !why.isEmpty()) return failed(why);
    m_station.prompter().message(DuplicateCaption, QStringLiteral("OK Image Duplicated"), MessageIcon::Information);
    return target;
}

} // namespace kestrova
