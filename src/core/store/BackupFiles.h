#pragma once

#include <QString>
#include <optional>

namespace kestrova {

// The row a zip-mode backup pass is archiving, written down before its image goes into the zip
// file, so that the next pass can tell whether it got there.
struct BackupEntry {
    qint32 sequence = 0;
    QString key;
    QString zipPath; // the zip file in the local zip folder
    QString destDir; // where the zip file goes when it is complete
};

// The file ".kestrova-backup" in the local images directory: the row in progress, or nothing.
class BackupJournal {
public:
    explicit BackupJournal(const QString& localDir);
    const QString& path() const { return m_path; }
    // Empty, or why the entry could not be written.
    QString begin(const BackupEntry& entry);
    std::optional<BackupEntry> pending() const;
    // Empty, or why the entry could not be removed.
    QString clear();

private:
    QString m_path;
};

// Copies source to target (replacing it) and forces the bytes to the disk. Empty, or why not.
QString CopyFileDurably(const QString& source, const QString& target);
// True when both files exist and hold the same bytes.
bool SameFileContents(const QString& a, const QString& b);
// The copy of key on the scan server (serverDir + key + an image extension), or empty.
QString ServerCopyOf(const QString& serverDir, const QString& key);

} // namespace kestrova
