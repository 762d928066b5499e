#pragma once

#include "core/util/DateTime.h"

#include <QList>
#include <QString>
#include <memory>

namespace kestrova {

class FileSecurity;
class ImageCodec;
class PageImage;
class Station;

// What one convert pass did.
struct ConvertSummary {
    int listed = 0;              // decoded files found
    int stored = 0;              // recorded and removed from the decoded directory
    int failed = 0;              // left where they were after an error
    bool sequenceFailed = false; // the sequence number could not be read: nothing was done
};

// The convert pass of the store cycle: every image the decoding step left in the two decoded
// directories gets a sequence number and a store name, a store copy in the image store and a
// local copy in the local images directory, a row in ImageData, and leaves the decoded directory.
// Reports through the event log only.
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
    enum class Outcome { Skipped, Failed, Recorded, NotRecorded };

    QList<WorkItem> gather() const;
    bool readSequence(qint32& sequence);
    Outcome convertFile(const WorkItem& item, qint32 sequence);
    std::unique_ptr<PageImage> load(const QString& path, QString& saveExtension);
    QString writeCopy(const PageImage& image, const QString& path, const QString& extension, int percent) const;
    bool record(qint32 sequence, const QString& reqId, const QString& docDefn, TDateTime scanTime);

    Station& m_station;
    const ImageCodec& m_codec;
    FileSecurity* m_security;
};

} // namespace kestrova
