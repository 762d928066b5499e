#pragma once

#include "core/ports/PageImage.h"
#include "platform/leptonica/PageFootprint.h"

namespace kestrova::leptonica {

// What libtiff reads from a TIFF file's directories; errors carry libtiff's reason.
Result<int> CountTiffPages(const QString& path);
// With layout, also how the page's pixels are stored.
Result<ImageFileInfo> ReadTiffPageInfo(const QString& path, int page, PixelLayout* layout = nullptr);

// The name a TIFF compression scheme is reported under ("FAXCCITT4", "LZW", ...).
QString TiffCompressionName(int scheme);

} // namespace kestrova::leptonica
