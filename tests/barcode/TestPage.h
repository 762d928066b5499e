#pragma once

#include "barcode/PageBitmap.h"
#include "barcode/QVCodabar.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::barcode::test {

// Element widths of a symbol's first row as zint draws it, in modules, bar first, without quiet
// zones. Empty when zint refuses the data.
std::vector<int> ZintModules(int symbology, std::string_view data, int option2 = 0);

// Pixel widths for a narrow/wide symbology: one-module elements narrow, longer ones wide.
std::vector<int> NarrowWide(const std::vector<int>& modules, int narrow, int wide);
// Pixel widths of every element at `pixelsPerModule`.
std::vector<int> Scaled(const std::vector<int>& modules, int pixelsPerModule);
// Pixel widths of run letters: b/s = narrow, B/S = wide, c/t = dbl, C/T = quad.
std::vector<int> FromLetters(std::string_view letters, int narrow, int wide, int dbl = 0, int quad = 0);
// The same elements right to left (the symbol turned upside down).
std::vector<int> Reversed(std::vector<int> widths);

// A white 1-bit page; coordinates count from the top left corner.
class TestPage {
public:
    TestPage(int width, int height);

    // Bars of `widths` (bar first) from column x, rows top .. top + rows - 1.
    void drawBars(const std::vector<int>& widths, int x, int top, int rows);
    // The same symbol turned by 90 degrees: bars become horizontal stripes.
    void drawSideways(const std::vector<int>& widths, int x, int top, int columns);
    void fillRect(int x, int top, int width, int rows, bool black = true);
    void setPixel(int x, int y, bool black);
    // Lines of text-like print: short strokes of 2-4 pixels in rows of a few letters.
    void addTextLines(int top, int bottom, unsigned seed);
    // Scattered single black pixels.
    void addSpeckle(int count, unsigned seed);

    const PageBitmap& bitmap() const { return m_page; }
    // Storage row (from 1, bottom of the page) of page row y (from 0, top).
    int storageRow(int y) const { return m_page.height - y; }

private:
    PageBitmap m_page;
};

// A reader configured like the tests' default profile: narrow 2-4, wide 5-8, double 9-11,
// quad 12-15 pixels, 1-20 characters.
QVCodabar MakeReader(std::uint32_t flags, std::uint8_t digitsFrom = 1, std::uint8_t digitsTo = 20);

} // namespace kestrova::barcode::test
