#pragma once

#include <QList>
#include <QString>
#include <memory>

class QLockFile;

namespace kestrova {

// A row a zip-mode backup pass is archiving, written down before its image goes into the zip
// file, so that the next pass can tell whether it got there.
struct BackupEntry {
    qint32 sequence = 0;
    QString key;
    QString zipPath; // the zip file in the local zip folder
    QString destDir; // where the zip file goes when it is complete
};

// The file ".kestrova-backup" in the local images directory: the rows of the batch in progress,
// one a line, or nothing. Rows are appended; a last line cut short is no row.
class BackupJournal {
public:
    explicit BackupJournal(const QString& localDir);
    const QString& path() const { return m_path; }
    // Adds a row to the list written down; empty, or why it could not be written.
    QString add(const BackupEntry& entry);
    // Forgets the last row added (a row that goes into another zip file instead).
    void dropLast();
    // Replaces the list written down by these rows in one step; empty, or why not.
    QString replace(const QList<BackupEntry>& entries);
    // The rows written down (by this or an earlier process).
    QList<BackupEntry> pending() const;
    // Empty, or why the list could not be removed.
    QString clear();

private:
    QString m_path;
    QList<BackupEntry> m_entries;
};

// The station's zip files have one writer at a time. The backup pass holds this lock for the whole
// pass, while it keeps its zip files open; whatever else changes them (deleting an image's entry,
// committing the waiting zip files, rebuilding a zip file) takes it for as long as it does. The
// lock is the file ".kestrova-backup.lock" in the local images directory, so it holds between the
// workstation and the command-line programs of one station. A lock of a process that has ended is
// taken over.
class ZipFilesLock {
public:
    explicit ZipFilesLock(const QString& localDir);
    ~ZipFilesLock();
    ZipFilesLock(const ZipFilesLock&) = delete;
    ZipFilesLock& operator=(const ZipFilesLock&) = delete;

    // True when held. Another process's pass is waited for up to waitMs; a holder in this process
    // (a pass letting the user interface have its turn) is not, as it cannot end meanwhile.
    bool tryLock(int waitMs = 0);

    // How long the operator's tasks wait for a pass of another process, in milliseconds.
    static constexpr int Wait = 15000;
    // What an operator is told when the lock is held elsewhere.
    static inline const QString BusyText =
        QStringLiteral("The backup process is writing the zip files; try again when it has finished.");

private:
    std::unique_ptr<QLockFile> m_lock;
};

// Copies source to target (replacing it) and forces the bytes to the disk. Empty, or why not.
QString CopyFileDurably(const QString& source, const QString& target);
// True when both files exist and hold the same bytes.
bool SameFileContents(const QString& a, const QString& b);
// The copy of key on the scan server (serverDir + key + an image extension), or empty.
QString ServerCopyOf(const QString& serverDir, const QString& key);

} // namespace kestrova
