#include "platform/leptonica/TiffFiles.h"

#include "platform/leptonica/ImageFileHeaders.h"
#include "platform/leptonica/LeptonicaMessages.h"
#include "platform/leptonica/LeptonicaPix.h"

#include <tiffio.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>

namespace kestrova::leptonica {

namespace {

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

struct ErrorSink {
    MessageCapture* capture;
    QString path;
};

int CaptureError(TIFF*, void* sink, const char* module, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    const auto* target = static_cast<ErrorSink*>(sink);
    QString message = QString::fromLocal8Bit(text).trimmed();
    // libtiff starts many messages with the file's name, which the caller's message already has.
    const QString prefix = target->path + QLatin1String(": ");
    if (message.startsWith(prefix)) message.remove(0, prefix.size());
    target->capture->addTiff(module, message, true);
    return 1;
}

int DropWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// Resolution in dots per inch as Leptonica reads it: centimetres converted, no unit taken as inch.
int Dpi(float value, uint16_t unit) {
    if (!(value > 0.0f) || !std::isfinite(value) || value > 1e6f) return 0;
    const double dpi = unit == RESUNIT_CENTIMETER ? value * 2.54 : value;
    return static_cast<int>(dpi + 0.5);
}

// An open TIFF whose errors go to capture and nothing to standard error. "m": no memory mapping,
// so a file cut short under us gives a read error, not a bus error.
class TiffReader {
public:
    TiffReader(const QString& path, MessageCapture& capture) : m_sink{&capture, path} {
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        if (!options) return;
        TIFFOpenOptionsSetErrorHandlerExtR(options, CaptureError, &m_sink);
        TIFFOpenOptionsSetWarningHandlerExtR(options, DropWarning, nullptr);
        m_tif.reset(TIFFOpenExt(NativePath(path).constData(), "rm", options));
        TIFFOpenOptionsFree(options);
    }
    TiffReader(const TiffReader&) = delete;
    TiffReader& operator=(const TiffReader&) = delete;

    TIFF* get() const { return m_tif.get(); }
    explicit operator bool() const { return m_tif != nullptr; }

private:
    ErrorSink m_sink; // outlives the handle, which reports into it until closed
    TiffPtr m_tif;
};

} // namespace

QString TiffCompressionName(int scheme) {
    switch (scheme) {
    case COMPRESSION_NONE:
        return QStringLiteral("NONE");
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
        return QStringLiteral("CCITT");
    case COMPRESSION_CCITTFAX3:
        return QStringLiteral("FAXCCITT3");
    case COMPRESSION_CCITTFAX4:
        return QStringLiteral("FAXCCITT4");
    case COMPRESSION_LZW:
        return QStringLiteral("LZW");
    case COMPRESSION_PACKBITS:
        return QStringLiteral("PACKBITS");
    case COMPRESSION_OJPEG:
    case COMPRESSION_JPEG:
        return QStringLiteral("JPEG");
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
        return QStringLiteral("DEFLATE");
    default:
        return QStringLiteral("UNKNOWN");
    }
}

namespace {

// The number of pages of an open TIFF. libtiff counts the directories it can reach and stops
// quietly at one it cannot read; a chain that points on past the last readable directory means
// a file cut short or damaged, and its later pages would be lost without a word.
Result<int> CountDirectories(TIFF* tif, MessageCapture& capture) {
    const auto count = static_cast<int>(TIFFNumberOfDirectories(tif));
    if (count < 1) return Result<int>::failure(capture.describe(QStringLiteral("a TIFF file without pages")));
    if (!TIFFSetDirectory(tif, static_cast<tdir_t>(count - 1)) || !TIFFLastDirectory(tif)) {
        return Result<int>::failure(
            capture.describe(QStringLiteral("the directory of page %1 cannot be read (the file is cut short or "
                                            "damaged)")
                                 .arg(count + 1)));
    }
    return Result<int>::success(count);
}

// How the current directory's pixels are stored: the palette (Leptonica keeps the high byte of
// each 16-bit entry) and an orientation that makes the reader turn the page.
PixelLayout PageLayout(TIFF* tif, uint16_t bitsPerSample, uint16_t samples) {
    PixelLayout layout;
    layout.bitsPerSample = bitsPerSample;
    layout.samplesPerPixel = samples;
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (bitsPerSample <= 8 && TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) && red && green && blue) {
        const int entries = 1 << bitsPerSample;
        unsigned char rgb[3 * 256];
        for (int i = 0; i < entries; ++i) {
            rgb[3 * i] = static_cast<unsigned char>(red[i] >> 8);
            rgb[3 * i + 1] = static_cast<unsigned char>(green[i] >> 8);
            rgb[3 * i + 2] = static_cast<unsigned char>(blue[i] >> 8);
        }
        layout.palette = KindOfPalette(rgb, entries);
    }
    uint16_t orientation = ORIENTATION_TOPLEFT;
    layout.turned = TIFFGetField(tif, TIFFTAG_ORIENTATION, &orientation) && orientation >= ORIENTATION_LEFTTOP &&
                    orientation <= ORIENTATION_LEFTBOT;
    return layout;
}

} // namespace

Result<int> CountTiffPages(const QString& path) {
    MessageCapture capture;
    TiffReader tif(path, capture);
    if (!tif) return Result<int>::failure(capture.describe(QStringLiteral("not a readable TIFF file")));
    return CountDirectories(tif.get(), capture);
}

Result<ImageFileInfo> ReadTiffPageInfo(const QString& path, int page, PixelLayout* layout) {
    using Outcome = Result<ImageFileInfo>;
    MessageCapture capture;
    TiffReader tif(path, capture);
    if (!tif) return Outcome::failure(capture.describe(QStringLiteral("not a readable TIFF file")));

    ImageFileInfo info;
    info.formatName = QStringLiteral("TIFF");
    const Result<int> count = CountDirectories(tif.get(), capture);
    if (!count) return Outcome::failure(count.error());
    info.pageCount = count.value();
    info.pageNumber = page;
    if (page < 0 || page >= info.pageCount) {
        return Outcome::failure(
            QStringLiteral("page %1 does not exist, the file has %2 page(s)").arg(page + 1).arg(info.pageCount));
    }
    if (!TIFFSetDirectory(tif.get(), static_cast<tdir_t>(page))) {
        return Outcome::failure(capture.describe(QStringLiteral("cannot read the directory of page %1").arg(page + 1)));
    }
    uint32_t width = 0, height = 0;
    uint16_t bitsPerSample = 1, samples = 1, compression = COMPRESSION_NONE, unit = RESUNIT_INCH;
    float xres = 0.0f, yres = 0.0f;
    if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0 || width > 0x7fffffff ||
        height > 0x7fffffff) {
        return Outcome::failure(capture.describe(QStringLiteral("page %1 has no valid size").arg(page + 1)));
    }
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &xres);
    TIFFGetField(tif.get(), TIFFTAG_YRESOLUTION, &yres);

    if (bitsPerSample == 0 || bitsPerSample > 32 || samples == 0 || samples > 8) {
        return Outcome::failure(QStringLiteral("page %1 has an unsupported pixel layout (%2 samples of %3 bits)")
                                    .arg(page + 1)
                                    .arg(samples)
                                    .arg(bitsPerSample));
    }
    info.width = static_cast<int>(width);
    info.height = static_cast<int>(height);
    info.bitsPerPixel = bitsPerSample * samples;
    info.compressionName = TiffCompressionName(compression);
    info.xResolution = Dpi(xres, unit);
    info.yResolution = Dpi(yres, unit);
    if (layout) *layout = PageLayout(tif.get(), bitsPerSample, samples);
    return Outcome::success(info);
}

} // namespace kestrova::leptonica
