#pragma once

#include "core/station/ImageInfo.h"
#include "core/store/ConvertJournal.h"
#include "core/util/DateTime.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

namespace kestrova {

class FileSecurity;
class ImageCodec;
class PageImage;
class Station;
struct setupinformation;

// What one convert pass did.
struct ConvertSummary {
    int listed = 0;              // decoded files found
    int stored = 0;              // recorded and removed from the decoded directory
    int failed = 0;              // left where they were after an error
    int kept = 0;                // stored by an earlier pass but not deletable: left and not stored again
    bool sequenceFailed = false; // the sequence number could not be read: nothing was done
    bool notRun = false;         // a directory is missing or an interrupted page could not be settled
    QStringList missingDirectories;

    // True when the pass left nothing behind that it should have stored.
    bool clean() const {
        return failed == 0 && kept == 0 && !sequenceFailed && !notRun && missingDirectories.isEmpty();
    }
};

// The convert pass of the store cycle: every image the decoding step left in the two decoded
// directories gets a sequence number and a store name, a store copy in the image store and a
// local copy in the local images directory, a row in ImageData, and leaves the decoded directory.
// Reports through the event log only.
//
// A pass can be killed at any point: each page is written down in a journal first, its copies
// reach their names by a rename once complete, the row follows and the decoded file goes last.
// The next pass finishes a page whose row exists and undoes one whose row does not, so every page
// ends with one row, one store copy and one local copy.
class ConvertProcess {
public:
    // security may be null: file security then cannot be applied (and says so in the log).
    ConvertProcess(Station& station, const ImageCodec& codec, FileSecurity* security = nullptr);

    ConvertSummary ConvertDecodedImages();

private:
    struct WorkItem {
        QString path;
        QString created;
        QString size;
    };
    // Kept: a file stored earlier and left undeletable; StoredKept: stored now, left undeletable.
    enum class Outcome { Skipped, Failed, Recorded, NotRecorded, Kept, StoredKept, EndPass };

    // A decoded file loaded for storing.
    struct Loaded {
        std::unique_ptr<PageImage> image;
        QString saveExtension;
        // The file's own bytes are what a full-size copy would write (one TIFF page whose
        // compression the copy keeps): such copies are made by copying the file.
        bool sameBytes = false;
        // What the imaging side reported about the file; a TIFF copy keeps its compression.
        TImageInfo info;
    };
    QList<WorkItem> gather(ConvertSummary& summary);
    bool directoriesUsable(ConvertSummary& summary);
    bool readSequence(qint32& sequence);
    bool recover(ConvertJournal& journal);
    Outcome convertFile(const WorkItem& item, qint32 sequence, ConvertJournal& journal);
    Outcome storeCopies(const Loaded& page, const ConvertEntry& entry, int docIndex, ConvertJournal& journal);
    Outcome recordAndRemove(const ConvertEntry& entry, TDateTime scanTime, ConvertJournal& journal);
    Loaded load(const QString& path);
    QString writeCopy(const Loaded& page, const QString& source, const QString& path, int percent) const;
    QString record(const ConvertEntry& entry, TDateTime scanTime, bool& lockError);
    int rowCount(const ConvertEntry& entry, QString& error);
    void keepUndeletable(const ConvertEntry& entry, const QString& why, ConvertJournal& journal);
    void settleKept(ConvertJournal& journal);
    void reportMissing(const QString& dir, bool missing);

    Station& m_station;
    const ImageCodec& m_codec;
    FileSecurity* m_security;
    QSet<QString> m_reportedMissing; // directories whose absence the log already told
};

} // namespace kestrova
