#include "platform/leptonica/LeptonicaBitmap.h"

#include <cstdint>

namespace kestrova::leptonica {

namespace {

// Mask of the pixels that lie on the image in the last word of a row (the high bits).
std::uint32_t LastWordMask(int width) {
    const int used = width % 32;
    return used == 0 ? 0xffffffffu : ~(0xffffffffu >> used);
}

} // namespace

void PixToPageBitmap(PIX* pix, barcode::PageBitmap& out) {
    const int width = pixGetWidth(pix);
    const int height = pixGetHeight(pix);
    const int wordsPerRow = (width + 31) / 32;
    const int wpl = pixGetWpl(pix);
    const std::uint32_t* data = pixGetData(pix);
    const std::uint32_t lastMask = LastWordMask(width);

    out.width = width;
    out.height = height;
    out.bytesPerRow = barcode::PageBitmap::strideFor(width);
    out.bits.resize(static_cast<std::size_t>(out.bytesPerRow) * height);

    for (int y = 0; y < height; ++y) {
        const std::uint32_t* src = data + static_cast<std::size_t>(y) * wpl;
        std::uint8_t* dst = out.row(height - 1 - y);
        for (int i = 0; i < wordsPerRow; ++i) {
            std::uint32_t v = ~src[i];
            if (i == wordsPerRow - 1) v &= lastMask;
            dst[4 * i] = static_cast<std::uint8_t>(v >> 24);
            dst[4 * i + 1] = static_cast<std::uint8_t>(v >> 16);
            dst[4 * i + 2] = static_cast<std::uint8_t>(v >> 8);
            dst[4 * i + 3] = static_cast<std::uint8_t>(v);
        }
    }
}

PixPtr PageBitmapToPix(const barcode::PageBitmap& bitmap) {
    const int width = bitmap.width;
    const int height = bitmap.height;
    if (width <= 0 || height <= 0 || bitmap.bytesPerRow != barcode::PageBitmap::strideFor(width) ||
        bitmap.bits.size() < static_cast<std::size_t>(bitmap.bytesPerRow) * height) {
        return nullptr;
    }
    PixPtr pix(pixCreate(width, height, 1));
    if (!pix) return pix;
    const int wordsPerRow = (width + 31) / 32;
    const int wpl = pixGetWpl(pix.get());
    std::uint32_t* data = pixGetData(pix.get());
    const std::uint32_t lastMask = LastWordMask(width);

    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = bitmap.row(height - 1 - y);
        std::uint32_t* dst = data + static_cast<std::size_t>(y) * wpl;
        for (int i = 0; i < wordsPerRow; ++i) {
            std::uint32_t v = (std::uint32_t{src[4 * i]} << 24) | (std::uint32_t{src[4 * i + 1]} << 16) |
                              (std::uint32_t{src[4 * i + 2]} << 8) | std::uint32_t{src[4 * i + 3]};
            v = ~v;
            if (i == wordsPerRow - 1) v &= lastMask;
            dst[i] = v;
        }
    }
    return pix;
}

} // namespace kestrova::leptonica
