#include "platform/leptonica/PageFootprint.h"

#include "platform/leptonica/LeptonicaPix.h"

#include <algorithm>
#include <cmath>

namespace kestrova::leptonica {

namespace {

// Sizes are worked out in doubles: a hostile header's width times height times depth passes 2^63.
constexpr double MostBytes = 1e18;

double Pix(double width, double height, int depth) {
    return 4.0 * std::ceil(width * depth / 32.0) * height;
}

// The depth Leptonica's reader gives the page.
int DecodedDepth(int format, const PixelLayout& layout) {
    const int bps = std::max(layout.bitsPerSample, 1);
    if (layout.samplesPerPixel > 1 || bps * layout.samplesPerPixel >= 24) return 32;
    switch (format) {
    case IFF_PNG:
        return layout.transparency ? 32 : std::min(bps, 8);
    case IFF_JFIF_JPEG:
    case IFF_GIF:
    case IFF_JP2:
        return 8;
    case IFF_WEBP:
        return 32;
    default: // TIFF, BMP, PNM: 1, 2, 4, 8 or 16
        return bps;
    }
}

// The depth once the palette is gone (Leptonica's choice by the palette's content).
int PlainDepth(int decoded, const PixelLayout& layout) {
    switch (layout.palette) {
    case PaletteKind::None:
        return decoded;
    case PaletteKind::BlackWhite:
        return layout.transparency ? 32 : decoded == 1 ? 1 : 8;
    case PaletteKind::Grey:
        return layout.transparency ? 32 : 8;
    case PaletteKind::Colour:
        break;
    }
    return 32;
}

// What the reader holds besides the page's pix while it decodes.
double ReaderBytes(int format, double width, double height, const PixelLayout& layout, double fileSize, int decoded) {
    const double samples = std::max(layout.samplesPerPixel, 1);
    switch (format) {
    case IFF_PNG: // libpng's rows, 16-bit samples cut to 8
        return height * std::ceil(width * std::min(layout.bitsPerSample, 8) * samples / 8.0);
    case IFF_JFIF_JPEG: // a progressive file keeps 2 bytes of coefficients per sample
        return layout.progressive ? 2.0 * width * height * samples : 0.0;
    case IFF_BMP:
    case IFF_WEBP: // the whole file in memory
        return fileSize;
    case IFF_GIF: // the file and giflib's raster
        return fileSize + width * height;
    case IFF_JP2: // OpenJPEG's 32-bit samples
        return 4.0 * width * height * samples;
    default:
        break;
    }
    if (L_FORMAT_IS_TIFF(format)) {
        // libtiff may hold a whole strip; colour is read through a 32-bit RGBA raster; a turned
        // page is a second pix.
        double bytes = fileSize;
        if (layout.samplesPerPixel >= 3) bytes += 4.0 * width * height;
        if (layout.turned) bytes += Pix(width, height, decoded);
        return bytes;
    }
    return 0.0;
}

} // namespace

qint64 PixBytes(qint64 width, qint64 height, int depth) {
    return static_cast<qint64>(std::min(Pix(double(width), double(height), depth), MostBytes));
}

qint64 LoadFootprint(int format, qint64 width, qint64 height, const PixelLayout& layout, qint64 fileSize, int depth) {
    const double w = double(std::max<qint64>(width, 0));
    const double h = double(std::max<qint64>(height, 0));
    const int decoded = DecodedDepth(format, layout);
    const int plain = PlainDepth(decoded, layout);
    const int target = depth == 24 ? 32 : depth;

    // Reading; a 1-bit palette is taken off inside the reader.
    double peak = Pix(w, h, decoded) + ReaderBytes(format, w, h, layout, double(fileSize), decoded);
    if (layout.palette != PaletteKind::None && decoded == 1) peak += Pix(w, h, plain);
    // Taking off the palette is a second pix; blending transparency onto white holds the page, a
    // white page, the blend and the alpha channel apart.
    if (layout.palette != PaletteKind::None) peak = std::max(peak, Pix(w, h, decoded) + Pix(w, h, plain));
    const bool alpha = layout.samplesPerPixel == 2 || layout.samplesPerPixel >= 4 || layout.transparency;
    if (alpha) peak = std::max(peak, 3.0 * Pix(w, h, 32) + Pix(w, h, 8));
    // Converting to the depth asked for; some conversions pass through 8 bits.
    if (plain != target) {
        const bool throughGrey =
            ((target == 1 || target == 4) && plain != 8) || (target == 32 && (plain == 2 || plain == 4 || plain == 16));
        peak = std::max(peak, Pix(w, h, plain) + Pix(w, h, target) + (throughGrey ? Pix(w, h, 8) : 0.0));
    }
    return static_cast<qint64>(std::min(peak, MostBytes));
}

} // namespace kestrova::leptonica
