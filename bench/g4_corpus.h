#pragma once

// The comparison corpus: A4 request forms (one Code 39 symbol in the top third, text-like print
// over the rest) written as CCITT G4 TIFF files at 200 and 300 dpi, as a scanner batch holds them.

#include "barcode_page.h"

#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/leptonica/LeptonicaPix.h"

#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace kestrova::barcode::bench {

constexpr int CorpusPagesPerDpi = 8;

struct G4Page {
    QString path;
    std::string text; // what the symbol holds
};

inline const std::vector<G4Page>& G4Corpus(int dpi) {
    static QTemporaryDir dir;
    static std::map<int, std::vector<G4Page>> corpus;
    std::vector<G4Page>& pages = corpus[dpi];
    if (!pages.empty()) return pages;
    LeptonicaImageCodec codec;
    for (unsigned seed = 0; seed < CorpusPagesPerDpi; ++seed) {
        const BenchPage form = RequestForm(dpi, seed);
        const QString path = dir.path() + QStringLiteral("/form-%1-%2.tif").arg(dpi).arg(seed);
        auto image = codec.fromPageBitmap(form.bitmap(), dpi, dpi);
        if (!image || !image.value()->saveTiff(path, TiffCompression::CcittG4, TiffSaveMode::Replace)) {
            std::fprintf(stderr, "Cannot write the benchmark page %s\n", qPrintable(path));
            std::exit(1);
        }
        pages.push_back({path, RequestFormText(seed)});
    }
    return pages;
}

// 8-bit grey (0 black, 255 white), top row first, as ZXing-C++ and ZBar take a page.
struct GreyPage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// From a 1-bit pix (set bit black), eight pixels at a time.
inline void PixToGrey(PIX* pix, GreyPage& grey) {
    static const std::array<std::uint64_t, 256> expand = [] {
        std::array<std::uint64_t, 256> table{};
        for (unsigned byte = 0; byte < 256; ++byte) {
            std::uint8_t out[8];
            for (int k = 0; k < 8; ++k) out[k] = (byte & (0x80u >> k)) ? 0 : 255;
            std::memcpy(&table[byte], out, 8);
        }
        return table;
    }();
    grey.width = pixGetWidth(pix);
    grey.height = pixGetHeight(pix);
    grey.pixels.resize(std::size_t(grey.width) * grey.height + 8);
    const int wpl = pixGetWpl(pix);
    const int bytes = (grey.width + 7) / 8;
    for (int y = 0; y < grey.height; ++y) {
        const l_uint32* line = pixGetData(pix) + std::size_t(y) * wpl;
        std::uint8_t* out = grey.pixels.data() + std::size_t(y) * grey.width;
        // The last byte's spill into the next row is overwritten by that row (or the slack).
        for (int j = 0; j < bytes; ++j) std::memcpy(out + 8 * j, &expand[GET_DATA_BYTE(line, j)], 8);
    }
    grey.pixels.resize(std::size_t(grey.width) * grey.height);
}

// The floor's pass: the colour changes of every pixel row, one 32-bit word at a time.
__attribute__((target("popcnt"))) inline long CountRuns(PIX* pix) {
    const int height = pixGetHeight(pix);
    const int wpl = pixGetWpl(pix);
    const l_uint32* data = pixGetData(pix);
    long changes = 0;
    for (int y = 0; y < height; ++y) {
        const l_uint32* line = data + std::size_t(y) * wpl;
        std::uint32_t previous = line[0] >> 31;
        for (int i = 0; i < wpl; ++i) {
            const std::uint32_t word = line[i];
            changes += __builtin_popcount(word ^ ((word >> 1) | (previous << 31)));
            previous = word & 1;
        }
    }
    return changes;
}

} // namespace kestrova::barcode::bench
