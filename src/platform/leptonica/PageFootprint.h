#pragma once

#include <QtGlobal>

namespace kestrova::leptonica {

// What a palette holds, as far as the depth of the image without it depends on it.
enum class PaletteKind {
    None,       // no palette
    BlackWhite, // only black and white
    Grey,       // only grey levels
    Colour,     // colours (or not known: taken as colours)
};

// How a page's pixels are stored in its file, as far as the memory to read them depends on it.
struct PixelLayout {
    int bitsPerSample = 1;
    int samplesPerPixel = 1;
    PaletteKind palette = PaletteKind::None;
    bool transparency = false; // a PNG transparency chunk: the reader makes the page RGBA
    bool progressive = false;  // a JPEG in several scans: the decoder holds every coefficient
    bool turned = false;       // a TIFF orientation the reader turns by a quarter
};

// Bytes of a Leptonica pix of width x height at depth bits per pixel (rows padded to 32 bits).
qint64 PixBytes(qint64 width, qint64 height, int depth);

// The most memory loading one page takes at a time with Leptonica's readers, from its header:
// the decoder's bitmap with the decoder's working copy (libpng's rows, libtiff's RGBA raster,
// libjpeg's coefficients of a progressive file, a whole file read into memory), the copy without
// palette or transparency, and the copy at depth (1, 4, 8 or 24). format is Leptonica's IFF code.
qint64 LoadFootprint(int format, qint64 width, qint64 height, const PixelLayout& layout, qint64 fileSize, int depth);

} // namespace kestrova::leptonica
