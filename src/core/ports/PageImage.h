#pragma once

#include "barcode/PageBitmap.h"
#include "core/ports/Result.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <memory>
#include <utility>

namespace kestrova {

// What a file says about one of its pages, without decoding the pixels.
struct ImageFileInfo {
    int width = 0;           // pixels
    int height = 0;          // pixels
    int bitsPerPixel = 0;    // as stored: 1, 4, 8, 16, 24, 32 (samples times bits per sample)
    qint64 sizeInBytes = 0;  // size of the whole file
    int pageCount = 0;       // pages in the file; 1 for formats without pages
    int pageNumber = 0;      // the page described, from 0
    QString compressionName; // TIFF: "NONE", "CCITT", "FAXCCITT3", "FAXCCITT4", "LZW", "PACKBITS",
                             // "JPEG", "DEFLATE" or "UNKNOWN"; BMP and PNM "NONE"; else "PNG", "JPEG", ...
    QString formatName;      // "TIFF", "PNG", "BMP", "JPEG", ...
    int xResolution = 0;     // dots per inch, 0 when the file gives none
    int yResolution = 0;
};

// The most memory a page source may take to bring in one page: the page's bitmap as the decoder
// holds it, with the decoder's own copies of it while it reads. A page that would need more is
// refused, from the sizes its file header (or its scanner) declares, before anything is decoded.
inline constexpr qint64 MaxPageBitmapBytes = qint64{512} * 1024 * 1024;

enum class TiffCompression { None, CcittG4, Lzw, PackBits };
enum class TiffSaveMode { Replace, Append };
enum class ImageFileFormat { Png, Bmp, Jpeg };

// One page image in memory. Depths are 1 (black and white), 4 and 8 (grey levels) and 24 (colour).
// Angles are in degrees, positive turns clockwise as the page is seen.
class PageImage {
public:
    virtual ~PageImage() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual int bitsPerPixel() const = 0;
    virtual int xResolution() const = 0; // dots per inch, 0 when unknown
    virtual int yResolution() const = 0;
    virtual void setResolution(int xDpi, int yDpi) = 0;

    // An independent copy; null only when memory runs out.
    virtual std::unique_ptr<PageImage> clone() const = 0;

    // Turns the image in place on a white background. Multiples of 90 degrees are exact and swap
    // width, height and the two resolutions; other angles grow the image to hold the whole page.
    virtual Status turn(double degrees) = 0;
    // Flips every bit: black and white swap on a 1-bit image, grey levels and colours are negated.
    virtual Status invert() = 0;
    // Straightens a page scanned at a slant of a few degrees at most, on a white background; the
    // size, depth and resolutions stay. A page whose slant is negligible or cannot be measured with
    // confidence (too little on it to measure) stays as it is, and that counts as success.
    virtual Status deskew() = 0;
    // Whitens the dark regions connected to the image's edges, as a scanner leaves around a page
    // (grey levels below 128 count as dark); marks that do not touch an edge stay. Size, depth and
    // resolutions stay.
    virtual Status removeBorder() = 0;
    // Copy of a rectangle (top row = top of the page), clipped to the image; fails when nothing
    // of it lies on the image. A valid newSize different from the rectangle's scales the copy
    // to that size (resolutions scale with it); the depth stays.
    virtual Result<std::unique_ptr<PageImage>> copyRect(const QRect& rect, const QSize& newSize = QSize()) const = 0;
    // Copy at another depth (1, 4, 8 or 24). To 1 bit: grey levels below 128 become black.
    virtual Result<std::unique_ptr<PageImage>> converted(int bitsPerPixel) const = 0;

    // The reader's view of a 1-bit image (bottom row first, set bit white). Fails on other depths.
    // Reuses the storage of out.
    virtual Status toPageBitmap(barcode::PageBitmap& out) const = 0;

    // Writes the image as a TIFF page. Replace writes a new file and puts it in place of the old
    // one only when complete; Append adds a page to an existing TIFF (or creates it), and leaves
    // the file as it was when that fails. CCITT group 4 needs a 1-bit image.
    virtual Status saveTiff(const QString& path, TiffCompression compression, TiffSaveMode mode) const = 0;
    // Writes the image as a single-image file, replacing an existing one. jpegQuality 1..100.
    virtual Status saveAs(const QString& path, ImageFileFormat format, int jpegQuality = 75) const = 0;
};

// A page loaded from a file, with what the file says about that page.
struct LoadedPage {
    std::unique_ptr<PageImage> image;
    ImageFileInfo info;
};

// Reads image files: TIFF (multi-page, any common compression), PNG, BMP, JPEG.
class ImageCodec {
public:
    virtual ~ImageCodec() = default;

    virtual Result<ImageFileInfo> fileInfo(const QString& path, int page = 0) const = 0;
    virtual Result<int> pageCount(const QString& path) const = 0;
    // Page from 0. bitsPerPixel 1, 4, 8 or 24 (2..3 load as 4, 5..16 as 8, 17..32 as 24).
    // To 1 bit: grey levels below 128 (colour by luminance) become black. A page whose loading
    // would take more memory than the codec's page limit (MaxPageBitmapBytes unless the codec was
    // given another) fails before it is decoded, with a message that gives its size.
    virtual Result<LoadedPage> loadPage(const QString& path, int page, int bitsPerPixel) const = 0;
    // The memory, in bytes, that loadPage(path, page, bitsPerPixel) would take at its peak, from
    // the file's header alone.
    virtual Result<qint64> loadBytes(const QString& path, int page, int bitsPerPixel) const = 0;
    // The most memory loadPage may take for one page.
    virtual qint64 pageLimit() const = 0;
    // A 1-bit page image made from the reader's view (the inverse of PageImage::toPageBitmap).
    virtual Result<std::unique_ptr<PageImage>> fromPageBitmap(const barcode::PageBitmap& bitmap, int xDpi = 0,
                                                              int yDpi = 0) const = 0;
};

} // namespace kestrova
