#include "TestPage.h"

#include <zint.h>

#include <algorithm>
#include <random>

namespace kestrova::barcode::test {

std::vector<int> ZintModules(int symbology, std::string_view data, int option2) {
    zint_symbol* symbol = ZBarcode_Create();
    symbol->symbology = symbology;
    symbol->option_2 = option2;
    std::vector<int> widths;
    if (ZBarcode_Encode(symbol, reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size())) <
        ZINT_ERROR) {
        int run = 0;
        bool bar = true;
        for (int x = 0; x < symbol->width; ++x) {
            const bool set = ((symbol->encoded_data[0][x >> 3] >> (x & 7)) & 1) != 0;
            if (set == bar) {
                ++run;
            } else {
                widths.push_back(run);
                bar = set;
                run = 1;
            }
        }
        widths.push_back(run);
        if (widths.size() % 2 == 0) widths.pop_back(); // a trailing space belongs to the quiet zone
    }
    ZBarcode_Delete(symbol);
    return widths;
}

std::vector<int> NarrowWide(const std::vector<int>& modules, int narrow, int wide) {
    std::vector<int> out;
    for (int m : modules) out.push_back(m == 1 ? narrow : wide);
    return out;
}

std::vector<int> Scaled(const std::vector<int>& modules, int pixelsPerModule) {
    std::vector<int> out;
    for (int m : modules) out.push_back(m * pixelsPerModule);
    return out;
}

std::vector<int> FromLetters(std::string_view letters, int narrow, int wide, int dbl, int quad) {
    std::vector<int> out;
    for (char c : letters) {
        switch (c) {
        case 'b':
        case 's':
            out.push_back(narrow);
            break;
        case 'B':
        case 'S':
            out.push_back(wide);
            break;
        case 'c':
        case 't':
            out.push_back(dbl);
            break;
        default:
            out.push_back(quad);
        }
    }
    return out;
}

std::vector<int> Reversed(std::vector<int> widths) {
    std::reverse(widths.begin(), widths.end());
    return widths;
}

TestPage::TestPage(int width, int height) {
    m_page.width = width;
    m_page.height = height;
    m_page.bytesPerRow = PageBitmap::strideFor(width);
    m_page.bits.assign(static_cast<std::size_t>(m_page.bytesPerRow) * height, 0xFF);
    // Padding bits past the last pixel are clear.
    for (int y = 0; y < height; ++y)
        for (int x = width; x < m_page.bytesPerRow * 8; ++x) setPixel(x, y, true);
}

void TestPage::setPixel(int x, int y, bool black) {
    if (x < 0 || y < 0 || x >= m_page.bytesPerRow * 8 || y >= m_page.height) return;
    std::uint8_t& byte = m_page.row(m_page.height - 1 - y)[x / 8];
    const std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> (x % 8));
    if (black)
        byte = static_cast<std::uint8_t>(byte & ~mask);
    else
        byte = static_cast<std::uint8_t>(byte | mask);
}

void TestPage::fillRect(int x, int top, int width, int rows, bool black) {
    for (int y = top; y < top + rows; ++y)
        for (int i = x; i < x + width && i < m_page.width; ++i) setPixel(i, y, black);
}

void TestPage::drawBars(const std::vector<int>& widths, int x, int top, int rows) {
    bool bar = true;
    for (int w : widths) {
        if (bar) fillRect(x, top, w, rows);
        x += w;
        bar = !bar;
    }
}

void TestPage::drawSideways(const std::vector<int>& widths, int x, int top, int columns) {
    bool bar = true;
    for (int w : widths) {
        if (bar) fillRect(x, top, columns, w);
        top += w;
        bar = !bar;
    }
}

void TestPage::addTextLines(int top, int bottom, unsigned seed) {
    std::mt19937 random(seed);
    const int lineHeight = 40;
    for (int y = top; y + 24 < bottom; y += lineHeight) {
        int x = 150 + static_cast<int>(random() % 60);
        const int end = m_page.width - 150 - static_cast<int>(random() % 600);
        while (x < end) {
            const int letters = 2 + static_cast<int>(random() % 8);
            for (int i = 0; i < letters && x < end; ++i) {
                // A letter: two or three strokes and a bar across.
                const int strokes = 2 + static_cast<int>(random() % 2);
                for (int s = 0; s < strokes; ++s) fillRect(x + s * 6, y, 2 + static_cast<int>(random() % 3), 24);
                fillRect(x, y + static_cast<int>(random() % 20), strokes * 6, 3);
                x += strokes * 6 + 6;
            }
            x += 14;
        }
    }
}

void TestPage::addSpeckle(int count, unsigned seed) {
    std::mt19937 random(seed);
    for (int i = 0; i < count; ++i)
        setPixel(static_cast<int>(random() % m_page.width), static_cast<int>(random() % m_page.height), true);
}

QVCodabar MakeReader(std::uint32_t flags, std::uint8_t digitsFrom, std::uint8_t digitsTo) {
    QVCodabar reader;
    InitBarcodeReader(reader, 2, 4, 5, 8, 9, 11, 12, 15, digitsFrom, digitsTo, 250, flags);
    return reader;
}

} // namespace kestrova::barcode::test
