#pragma once

#include "core/ports/ZipArchive.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

class QIODevice;

namespace kestrova {

class Station;

// The zip files of the removable media. Each group of images (see ZipGroupOf) fills one open zip
// file in the local zip folder; when it holds ZipCapacity entries it is moved into the group's
// directory on the backup destination. The services below also verify, shrink and read zip
// files for the administration. None of them writes to the event log.
class ZipMedia {
public:
    // Results of ZipAddAndCommit / AddToZip besides the entry count.
    static constexpr int NoFile = -1;            // the file to add could not be read
    static constexpr int NoStream = -2;          // the stream to add could not be read
    static constexpr int AddFailed = -3;         // the archive could not take the entry
    static constexpr int NoDestination = -90;    // the destination directory cannot be created
    static constexpr int FullOrNotMoved = -1000; // the archive was already full, or moving it failed
    static constexpr int ArchiveMissing = -99999;

    ZipMedia(Station& station, const ZipFactory& zips) : m_station(station), m_zips(zips) {}

    // The zip file the next image of the key's group goes into (an existing open one, or a new
    // name stamped now); empty when the zip folder cannot be created.
    QString CurrentZipFileFor(const QString& key) const;

    // Adds each line of `source` as an entry named by its file-name part, read from the file or,
    // when given, from stream; returns the entry count or a negative result. Never moves.
    int AddToZip(const QString& zipPath, const QString& source, QIODevice* stream = nullptr) const;
    // Adds source (when not empty) and moves the zip file to destDir when it is complete or force
    // is set. Returns the entry count (0 after a forced move without source) or a negative result.
    int ZipAddAndCommit(const QString& zipPath, const QString& source, const QString& destDir,
                        QIODevice* stream = nullptr, bool force = false) const;
    // Copies the zip file into destDir (replacing) and deletes it; value, or -1000 when the copy
    // fails (the zip file then stays where it is). The copy is written as "." + name + ".tmp" in
    // destDir and renamed once complete.
    int MoveZipToDestination(const QString& zipPath, const QString& destDir, int value) const;
    // The entries of a zip file (0 for a missing one), or -1 when it cannot be read.
    int EntryCount(const QString& zipPath) const;

    // How many of names (without extension, letter case ignored) have no entry in the zip file;
    // -99999 when it does not exist.
    int CountMissingFromZip(const QString& zipPath, QStringList names) const;
    // How many ImageData rows recorded for this zip file (deleted ones aside) have no entry in it; -1 on a database
    // error (shown to the operator), -99999 when the file does not exist.
    int VerifyZipFile(const QString& zipPath) const;
    // Removes an image's entry and its signed message from its zip file, fetching it from destDir
    // and putting it back when it has been moved. Entries left, or -2 (no zip file anywhere),
    // -50 (cannot fetch), -3 (archive error).
    int DeleteFromZip(const QString& localZipPath, const QString& entryName, const QString& destDir) const;
    // Removes what writes killed half-way left in the zip folder dir: libzip's temporary files
    // (NAME.zip.XXXXXX) and the hidden copies of fetched zip files that no process holds. Only
    // while the station's zip files' lock is held (no writer can be at work). Returns how many.
    int RemoveInterruptedWrites(const QString& dir) const;
    // Moves back onto the media every zip file in the zip folder dir whose name the media already
    // holds (destDirOf gives the directory for a file name): a copy a stopped move or deletion
    // left here, the newer of the two. A group's open zip file never has a name the media holds.
    // Only while the station's zip files' lock is held. Returns how many went back.
    int ReturnLeftCopies(const QString& dir, const std::function<QString(const QString&)>& destDirOf) const;
    // Extracts the entries that match spec into targetDir; their names each followed by a line
    // break, or a text starting "ERROR".
    QString ExtractFromZip(const QString& zipPath, const QString& spec, const QString& targetDir) const;

private:
    friend class ZipSession;
    // Adds the entries of AddToZip to an open archive without writing it.
    // Sets added when an entry went in.
    int addEntries(ZipArchive& zip, const QString& source, QIODevice* stream, bool& added) const;

    Station& m_station;
    const ZipFactory& m_zips;
};

// Zip files kept open across several adds and written once for all of them, where ZipMedia writes
// the whole file again for every entry. An entry added through a session is in the zip file only
// once the session has written it: by commit(), or by the add that completes the zip file (it is
// then written and moved at once, as ZipMedia::ZipAddAndCommit does). Entries not written are
// dropped with the session. Results are those of ZipMedia.
class ZipSession {
public:
    explicit ZipSession(const ZipMedia& media) : m_media(media) {}
    ZipSession(const ZipSession&) = delete;
    ZipSession& operator=(const ZipSession&) = delete;

    // The zip file the next image of the key's group goes into: the one this session has open for
    // the group (it may not be on disk yet), else ZipMedia::CurrentZipFileFor.
    QString CurrentZipFileFor(const QString& key);
    // As ZipMedia::ZipAddAndCommit, but an entry that does not complete the zip file waits for
    // commit(). A forced move writes what waits first.
    int ZipAddAndCommit(const QString& zipPath, const QString& source, const QString& destDir,
                        QIODevice* stream = nullptr, bool force = false);
    // Writes what waits for zipPath (nothing to do when the session does not hold it open). A
    // failure drops the waiting entries (the file stays as it was) and is answered again, with
    // AddFailed to every later add, until the session ends.
    Status commit(const QString& zipPath);
    // Removes the entries of these names from an open zip file (waiting or written); written by
    // the next commit. False when the session does not hold the zip file open.
    bool remove(const QString& zipPath, const QStringList& names);
    bool isOpen(const QString& zipPath) const { return m_open.count(zipPath) > 0; }

private:
    struct Open {
        std::unique_ptr<ZipArchive> zip; // null after a failed commit
        QString group;
        QString error;
        bool changed = false;
    };
    Open* open(const QString& zipPath, const QString& group);
    void close(const QString& zipPath);

    const ZipMedia& m_media;
    std::map<QString, Open> m_open;   // by path
    QHash<QString, QString> m_groups; // group -> the path open for it
};

} // namespace kestrova
