#pragma once

// A4 pages for the reader's benchmark: one Code 39 symbol in the top third and lines of
// text-like print over the rest of the page, at a given resolution.

#include "barcode/PageBitmap.h"
#include "barcode/QVCodabar.h"

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace kestrova::barcode::bench {

// Module widths (bar first) of a symbol as the zint command draws it; empty without zint.
inline std::vector<int> ZintModules(const std::string& symbology, const std::string& data) {
    std::vector<int> widths;
    const std::string command = "zint --dump -b " + symbology + " -d '" + data + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return widths;
    std::string bits;
    unsigned value = 0;
    while (std::fscanf(pipe, "%x", &value) == 1)
        for (int b = 7; b >= 0; --b) bits += ((value >> b) & 1) ? '1' : '0';
    pclose(pipe);
    while (!bits.empty() && bits.back() == '0') bits.pop_back();
    for (std::size_t i = 0; i < bits.size();) {
        std::size_t j = i;
        while (j < bits.size() && bits[j] == bits[i]) ++j;
        widths.push_back(static_cast<int>(j - i));
        i = j;
    }
    return widths;
}

// Module widths of a Code 39 symbol as the zint command draws it; empty without zint.
inline std::vector<int> Code39Modules(const std::string& data) {
    return ZintModules("CODE39", data);
}

class BenchPage {
public:
    BenchPage(int width, int height) {
        m_page.width = width;
        m_page.height = height;
        m_page.bytesPerRow = PageBitmap::strideFor(width);
        m_page.bits.assign(static_cast<std::size_t>(m_page.bytesPerRow) * height, 0xFF);
        for (int y = 0; y < height; ++y)
            for (int x = width; x < m_page.bytesPerRow * 8; ++x) black(x, y);
    }

    void fill(int x, int top, int w, int rows) {
        for (int y = top; y < top + rows && y < m_page.height; ++y)
            for (int i = x; i < x + w && i < m_page.width; ++i) black(i, y);
    }

    void bars(const std::vector<int>& modules, int narrow, int wide, int x, int top, int rows) {
        bool bar = true;
        for (int m : modules) {
            const int w = m == 1 ? narrow : wide;
            if (bar) fill(x, top, w, rows);
            x += w;
            bar = !bar;
        }
    }

    // Lines of letters about `size` pixels high with strokes of `stroke` pixels.
    void text(int top, int bottom, int size, int stroke, unsigned seed) {
        std::mt19937 random(seed);
        const int margin = m_page.width / 12;
        for (int y = top; y + size < bottom; y += size * 7 / 4) {
            int x = margin;
            const int end = m_page.width - margin - static_cast<int>(random() % (m_page.width / 3));
            while (x < end) {
                const int letters = 2 + static_cast<int>(random() % 8);
                for (int i = 0; i < letters && x < end; ++i) {
                    const int strokes = 2 + static_cast<int>(random() % 2);
                    const int pitch = size / 4 + stroke;
                    for (int s = 0; s < strokes; ++s) fill(x + s * pitch, y, stroke, size);
                    fill(x, y + static_cast<int>(random() % (size - stroke)), strokes * pitch, stroke);
                    x += strokes * pitch + pitch;
                }
                x += size / 2;
            }
        }
    }

    const PageBitmap& bitmap() const { return m_page; }

private:
    void black(int x, int y) {
        std::uint8_t& byte = m_page.row(m_page.height - 1 - y)[x / 8];
        byte = static_cast<std::uint8_t>(byte & ~(0x80 >> (x % 8)));
    }

    PageBitmap m_page;
};

// The text of the symbol on request form `seed`.
inline std::string RequestFormText(unsigned seed) {
    return "REQ" + std::to_string(10000000 + seed);
}

// An A4 request form at `dpi`: title lines, the symbol, then the body of the form.
inline BenchPage RequestForm(int dpi, unsigned seed) {
    const int width = dpi * 827 / 100;
    const int height = dpi * 1169 / 100;
    BenchPage page(width, height);
    const int letter = dpi / 8; // about 3 mm
    const int stroke = dpi / 70;
    page.text(dpi / 3, dpi * 4 / 5, letter, stroke, seed);
    const int narrow = dpi / 67; // 0.38 mm
    page.bars(Code39Modules(RequestFormText(seed)), narrow, narrow * 5 / 2, width / 2, dpi, dpi * 3 / 5);
    page.text(dpi * 2, height - dpi / 2, letter, stroke, seed + 1);
    return page;
}

// A reader for the forms at 200 or 300 dpi: Codabar (any start) and Code 39, 4 to 20 characters.
inline QVCodabar FormReader(int dpi) {
    QVCodabar reader;
    const std::uint32_t flags =
        FlagCodabar | FlagCodabarStartA | FlagCodabarStartB | FlagCodabarStartC | FlagCodabarStartD | FlagCode39;
    if (dpi == 200)
        InitBarcodeReader(reader, 1, 4, 5, 10, 11, 13, 14, 17, 4, 20, 250, flags);
    else
        InitBarcodeReader(reader, 2, 6, 7, 15, 16, 20, 21, 26, 4, 20, 250, flags);
    return reader;
}

} // namespace kestrova::barcode::bench
