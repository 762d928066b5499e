#include "platform/leptonica/LeptonicaBitmap.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace kestrova::leptonica {

namespace {

// Mask of the pixels that lie on the image in the last word of a row (the high bits).
std::uint32_t LastWordMask(int width) {
    const int used = width % 32;
    return used == 0 ? 0xffffffffu : ~(0xffffffffu >> used);
}

// Writes v with its most significant byte first, whatever the machine's byte order.
inline void StoreBigEndian(std::uint8_t* out, std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap32(v);
    std::memcpy(out, &v, sizeof v);
}

// Two native words as they lie in memory (the first at the lower address), each written most
// significant byte first.
inline void StoreBigEndianPair(std::uint8_t* out, std::uint64_t pair) {
    if constexpr (std::endian::native == std::endian::little) {
        pair = __builtin_bswap64(pair);
        pair = (pair << 32) | (pair >> 32);
    }
    std::memcpy(out, &pair, sizeof pair);
}

inline std::uint32_t LoadBigEndian(const std::uint8_t* in) {
    std::uint32_t v;
    std::memcpy(&v, in, sizeof v);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap32(v);
    return v;
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
        int i = 0;
        // Two words at a time: the bytes of each word in reverse order, the words in place.
        for (; i + 2 <= wordsPerRow - 1; i += 2) {
            std::uint64_t pair;
            std::memcpy(&pair, src + i, sizeof pair);
            StoreBigEndianPair(dst + 4 * i, ~pair);
        }
        for (; i < wordsPerRow - 1; ++i) StoreBigEndian(dst + 4 * i, ~src[i]);
        StoreBigEndian(dst + 4 * (wordsPerRow - 1), ~src[wordsPerRow - 1] & lastMask);
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
        for (int i = 0; i < wordsPerRow - 1; ++i) dst[i] = ~LoadBigEndian(src + 4 * i);
        dst[wordsPerRow - 1] = ~LoadBigEndian(src + 4 * (wordsPerRow - 1)) & lastMask;
    }
    return pix;
}

} // namespace kestrova::leptonica
