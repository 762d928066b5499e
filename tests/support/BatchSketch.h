#pragma once

#include "barcode/PageBitmap.h"
#include "core/ports/PageImage.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace kestrova::decodetest {

// Element widths of a symbol as zint draws it, in modules, bar first. Empty when zint refuses the
// data.
std::vector<int> ZintModules(const QString& symbology, const QString& data);

// A scanned page being composed: white, 1 bit, at a resolution; positions in millimetres from the
// top left corner of the upright page.
class PageSketch {
public:
    explicit PageSketch(int dpi, double widthMm = 210.0, double heightMm = 297.0);

    // A zint symbol with its bars heightMm tall. Narrow/wide symbologies (Codabar, Code 39, Code
    // 25) draw one-module elements `narrow` pixels wide and longer ones `wide`; Code 128 draws
    // `narrow` pixels per module.
    PageSketch& symbol(const QString& symbology, const QString& data, double xMm, double yMm, int narrow = 3,
                       int wide = 7, double heightMm = 12.0);
    // A Code 128 symbol of an even number of digits in code set C, `module` pixels a module: drawn
    // here, since zint takes at most 60 symbol characters.
    PageSketch& code128Digits(const QString& digits, double xMm, double yMm, int module = 3, double heightMm = 12.0);
    // Lines of text-like print (short strokes in words) from topMm down to bottomMm.
    PageSketch& text(double topMm, double bottomMm, unsigned seed = 1);
    // The page as the scanner saw it: turned clockwise by degrees (-90: fed sideways with its top
    // to the left, 90: with its top to the right, 180: upside down).
    PageSketch& turned(int degrees);

    int dpi() const { return m_dpi; }
    int px(double mm) const;
    int width() const { return m_page.width; }
    int height() const { return m_page.height; }

    // The page image with its resolution set, turned as asked.
    std::unique_ptr<PageImage> image(const ImageCodec& codec) const;

private:
    void fill(int x, int y, int w, int h);

    barcode::PageBitmap m_page;
    int m_dpi;
    int m_turn = 0;
};

// Writes the pages as one multi-page G4 TIFF (replacing path). Empty, or why it failed.
QString WriteBatch(const QString& path, const std::vector<PageSketch>& pages, const ImageCodec& codec);

// What a saved page holds: size, resolution and the box around its black pixels.
struct SavedPage {
    bool loaded = false;
    int width = 0;
    int height = 0;
    int xDpi = 0;
    int yDpi = 0;
    int pages = 0;
    QString compression;
    int inkLeft = -1, inkTop = -1, inkRight = -1, inkBottom = -1; // pixels, top left origin, inclusive
    // What a reader finds on the whole page, slot by slot ("^" marks a symbol read right to left).
    QString barcodes;
};

SavedPage InspectPage(const QString& path, const ImageCodec& codec, int page = 0);

} // namespace kestrova::decodetest
