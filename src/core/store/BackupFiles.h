#pragma once

#include <QList>
#include <QString>

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

// Copies source to target (replacing it) and forces the bytes to the disk. Empty, or why not.
QString CopyFileDurably(const QString& source, const QString& target);
// True when both files exist and hold the same bytes.
bool SameFileContents(const QString& a, const QString& b);
// The copy of key on the scan server (serverDir + key + an image extension), or empty.
QString ServerCopyOf(const QString& serverDir, const QString& key);

} // namespace kestrova
