#pragma once

#include "core/ports/PageImage.h"

#include <QString>

namespace kestrova {

// The image scaled to percent of its size (same depth); the image itself (a copy) at 100 percent
// or an unusable percentage.
Result<std::unique_ptr<PageImage>> ScaledImage(const PageImage& image, int percent);

// Writes image to path in the format named by extension (".png", ".bmp", ".jpg", letter case
// ignored), scaled to percent, at the image's depth; a JPEG is written at percent quality.
// Returns the empty text on success, else the reason. Extensions without a writer here (".pcx",
// ".tga", ".eps" and any other) write nothing and return a reason, so a caller never takes an
// unwritten copy for a written one.
QString SaveImageAs(const PageImage& image, const QString& path, const QString& extension, int percent);

// The TIFF compression a re-saved TIFF keeps, from its compression code (0 none, 1 CCITT,
// 2 CCITT group 3, 3 CCITT group 4, 4 LZW, 5 PackBits): the CCITT codes give group 4 on a 1-bit
// image (the one CCITT coding written here; lossless as they are) and none on deeper images; any
// other code gives none.
TiffCompression TiffCompressionFor(int compressionCode, int bitsPerPixel);

// Writes the image as a TIFF (replacing path) scaled to percent, with the compression of the code.
QString SaveTiffCopy(const PageImage& image, const QString& path, int compressionCode, int percent);

} // namespace kestrova
