#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace kestrova {

class Station;
class ZipMedia;

// What the viewer knows of the image it shows last (ViewedImageInfo).
struct TilxInfo {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint16_t BPP = 0;
    std::uint32_t Size = 0;
    std::uint16_t TiffPages = 0;
    std::uint16_t TiffThisPage = 0;
    QString Compression;
    std::uint8_t CompressionCode = 0;
    std::uint8_t ByFile = 0;
    QString Filename; // with its full path
    std::uint32_t XResolution = 0;
    std::uint32_t YResolution = 0;
};

// The position of a compression name in "NONE", "CCITT", "FAXCCITT3", "FAXCCITT4", "LZW",
// "PACKBITS" (letter case ignored); 0 for any other name.
std::uint8_t CompressionCodeOf(const QString& compressionName);

// The record maintenance of the administration window without its widgets: finding the stored
// images of a request number, deleting them from the store, the local images, the media and
// their zip file (their rows are marked "Deleted", never removed), and duplicating one into the
// intake under a new request number.
class ImageMaintenance {
public:
    ImageMaintenance(Station& station, const ZipMedia& zips) : m_station(station), m_zips(zips) {}

    // The names of the stored files whose name starts with prefix (in listing order), after the
    // event log line "Searching for "<path>"".
    QStringList showimagelist(const QString& prefix);

    // True when nothing is waiting to be decoded, stored or backed up; otherwise the "Pending
    // Files.." message has been shown and nothing may be deleted.
    bool PendingCheck();
    // The two questions before a deletion; true on OK.
    bool ConfirmDeleteSelected();
    bool ConfirmDeleteList();

    // Deletes one image: its rows are marked first (so a deletion cut short leaves either the
    // image or a row saying it is deleted), then its store, local and media copies and its zip
    // entries go. False, with the reason, when the rows could not be marked (nothing deleted).
    bool killrecord(const QString& entry, QString& error);

    // Where a stored name lives.
    QString StorePath(const QString& name) const;
    QString MediaPath(const QString& name) const;
    QString LocalPath(const QString& name) const;
    // The file the viewer shows for an entry: the local copy, else the store copy; empty when
    // neither exists.
    QString ViewFile(const QString& entry) const;

    // Puts a copy of the viewed file into the decoded directory under newReference (the document
    // code chosen from the page length) and says so ("OK Image Duplicated" / "Duplication
    // Failed"). The new file's path, or empty on failure.
    QString DuplicateImage(const QString& newReference, const TilxInfo& info);

private:
    bool markRows(const QString& reqId, const QString& docDefn, QString& error);

    Station& m_station;
    const ZipMedia& m_zips;
};

inline const QString PendingFilesCaption = QStringLiteral("Pending Files..");
inline const QString DeleteSelectedCaption = QStringLiteral("Delete Selected Image Records.");
inline const QString DeleteAllCaption = QStringLiteral("Delete ALL Listed Image Records.");
inline const QString DuplicateCaption = QStringLiteral("Duplicate Image with New ID");
inline const QString ViewErrorCaption = QStringLiteral("View Image Error");
inline const QString ViewErrorText = QStringLiteral("The image indicated is not available for viewing.");

} // namespace kestrova
