#pragma once

#include <QString>
#include <QStringList>

namespace kestrova {

class ImageCodec;
class Smime;
class ZipFactory;

// What checking a medium found.
struct MediaCheckResult {
    int zipFiles = 0;
    int entries = 0;      // entries read
    int summaryRows = 0;  // rows of the summary files held against the entries
    QStringList problems; // one line each, in a stable order
    bool ok() const { return problems.isEmpty(); }
};

// Checks a backup medium on its own, without the station's database: every zip file below the
// directory is read, every entry checked (an image loads; a signed message verifies and the image
// it holds loads), and when the medium has summary files ("summary/*.csv") every row they name
// must have its entry in its zip file and every entry must have its row. threads > 1 checks that
// many zip files at once.
MediaCheckResult CheckMedia(const QString& mediaDir, const ZipFactory& zips, const ImageCodec& codec,
                            const Smime& smime, int threads = 1);

} // namespace kestrova
