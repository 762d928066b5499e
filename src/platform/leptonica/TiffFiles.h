#pragma once

#include "core/ports/PageImage.h"

namespace kestrova::leptonica {

// What libtiff reads from a TIFF file's directories; errors carry libtiff's reason.
ImageResult<int> CountTiffPages(const QString& path);
ImageResult<ImageFileInfo> ReadTiffPageInfo(const QString& path, int page);

// The name a TIFF compression scheme is reported under ("FAXCCITT4", "LZW", ...).
QString TiffCompressionName(int scheme);

} // namespace kestrova::leptonica
