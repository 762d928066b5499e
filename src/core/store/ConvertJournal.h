#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace kestrova {

// The page a convert pass is storing, written down before its first copy, so that the next pass
// can finish or undo whatever a killed pass left half done. Copies are written under temporary
// names and renamed into place before the row is inserted; the decoded file goes last.
struct ConvertEntry {
    QString decoded;   // the decoded file
    QString store;     // the store copy (empty when the image store is disabled)
    QString storeTemp; // where the store copy is written before its rename
    QString local;     // the local copy
    QString localTemp;
    QString ReqID;
    QString DocDefn;
    qint32 sequence = 0; // the number expected; the row takes its own when it is inserted
};

// A decoded file that was stored (its row exists) but could not be deleted: it is never stored
// again while it keeps its size and modification time.
struct KeptFile {
    QString path;
    qint64 size = -1;
    qint64 modifiedMs = -1;
};

// Two small files in the local images directory: ".kestrova-convert" holds the page in progress
// (emptied when it is done, removed when the pass ends), ".kestrova-kept" the decoded files that
// were stored but stay where they are (replaced whole by a rename, so a kill leaves either the old
// or the new list).
class ConvertJournal {
public:
    explicit ConvertJournal(const QString& localDir);

    // Writes the entry before any copy is made. Empty, or why it could not be written.
    QString begin(const ConvertEntry& entry);
    // The entry a pass left behind, if any.
    std::optional<ConvertEntry> pending() const;
    // The page is done (or undone): the journal is emptied. Empty, or why it could not be.
    QString clear();
    // The pass is over: the emptied journal is removed. Empty, or why it could not be.
    QString close();

    QList<KeptFile> kept() const;
    // True when path is a kept file that has not changed since it was stored.
    bool isKept(const QString& path) const;
    QString keep(const QString& path);
    QString forget(const QString& path);

    const QString& entryPath() const { return m_entryPath; }

private:
    QString writeKept(const QList<KeptFile>& files);

    QString m_entryPath;
    QString m_keptPath;
    mutable std::optional<QList<KeptFile>> m_kept; // the kept list as last read or written
};

// The identity of a file as the kept list records it; size -1 when the file does not exist.
KeptFile IdentityOf(const QString& path);

// Writes bytes to path through path + ".new" and a rename. Empty, or why it failed.
QString ReplaceFileContents(const QString& path, const QByteArray& bytes);

// Removes path and the temporary files an image writer leaves beside it when it is stopped
// ("." + name + "." + hexadecimal digits + ".tmp"). Missing files count as removed. False when
// something that exists could not be removed.
bool RemoveWithWriterLeftovers(const QString& path);

} // namespace kestrova
