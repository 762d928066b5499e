#pragma once

#include <leptonica/allheaders.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>

namespace kestrova::leptonica {

struct PixDeleter {
    void operator()(PIX* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<PIX, PixDeleter>;

struct BoxDeleter {
    void operator()(BOX* box) const { boxDestroy(&box); }
};
using BoxPtr = std::unique_ptr<BOX, BoxDeleter>;

inline QByteArray NativePath(const QString& path) {
    return QFile::encodeName(path);
}

// The depth a request loads at: 1, 4, 8 or 24 (2..3 give 4, 5..16 give 8, 17..32 give 24); 0 when
// the request is outside 1..32.
int SupportedDepth(int requested);

// The depth this adapter reports for a pix: 24 for Leptonica's 32-bit colour.
inline int ReportedDepth(const PIX* pix) {
    const int d = pixGetDepth(pix);
    return d == 32 ? 24 : d;
}

// Without a colour map and without alpha (blended onto white): 1 bit with a set bit black, grey
// levels with 0 black, or 32-bit colour with three samples. Returns pix itself when it already is.
PixPtr Normalized(PixPtr pix);

// pix normalised at depth 1, 4, 8 or 24, resolutions kept; pix itself when nothing needs doing.
// To 1 bit: below 128 is black. Null on failure.
PixPtr ConvertedToDepth(PixPtr pix, int depth);

// The same, leaving pix as it is.
inline PixPtr ConvertedCopy(PIX* pix, int depth) {
    return ConvertedToDepth(PixPtr(pixClone(pix)), depth);
}

} // namespace kestrova::leptonica
