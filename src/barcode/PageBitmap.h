#pragma once

#include <cstdint>
#include <vector>

namespace kestrova::barcode {

// A 1-bit page as the reader walks it: rows stored bottom row first, each row padded to a
// multiple of 32 bits (the padding bits clear); within a byte the most significant bit is the
// leftmost pixel; a set bit is a white pixel, a clear bit a black one.
struct PageBitmap {
    int width = 0;       // pixels
    int height = 0;      // rows
    int bytesPerRow = 0; // ((width + 31) / 32) * 4
    std::vector<std::uint8_t> bits;

    static int strideFor(int width) { return ((width + 31) / 32) * 4; }

    // Storage row r (0 = the bottom row of the page).
    const std::uint8_t* row(int r) const { return bits.data() + static_cast<std::size_t>(r) * bytesPerRow; }
    std::uint8_t* row(int r) { return bits.data() + static_cast<std::size_t>(r) * bytesPerRow; }
};

} // namespace kestrova::barcode
