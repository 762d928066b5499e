#pragma once

#include "core/ports/PageImage.h"

#include <QString>

namespace kestrova {

namespace barcode {
struct QVCodabar;
}

// Result codes of SaveRegionAsTiff.
inline constexpr int RegionSaved = 0;
inline constexpr int RegionNoBitmap = -1;
inline constexpr int RegionNotWritten = -2;

// Copies the rectangle from (left, top) to (width - right, height - bottom) out of a page (the top
// row being the top of the page), turns the copy by angle degrees when angle is not 0 and writes
// it as a single-page LZW TIFF at the page's depth. When storageDpi > 0 and the page's vertical
// resolution is higher, the copy is scaled down to that resolution first. The page itself is
// never changed. Returns RegionSaved, RegionNoBitmap when page is null, or RegionNotWritten when
// the copy, the turn or the write failed; error then says why.
int SaveRegionAsTiff(const PageImage* page, const QString& path, int angle, int width, int height, int topMargin,
                     int bottomMargin, int leftMargin, int rightMargin, int storageDpi = 0, QString* error = nullptr);

// Saves a decoded page cropped by the reader's measurements: topCut rows at the top,
// ContentStartRow rows at the bottom, LeftMargin and RightMargin at the sides, turned by angle.
// Returns empty, or the message of the error that occurred.
QString SaveDecodedPage(const PageImage* page, const QString& fileName, int topCut, int angle,
                        const barcode::QVCodabar& reader, int storageDpi = 0);

} // namespace kestrova
