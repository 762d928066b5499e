#include "platform/leptonica/ImageFileHeaders.h"

#include "platform/leptonica/LeptonicaMessages.h"
#include "platform/leptonica/LeptonicaPix.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace kestrova::leptonica {

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

struct FormatNames {
    const char* format;
    const char* compression;
};

// Formats read here besides TIFF; PostScript, PDF and Leptonica's own serialisation are not images
// a scanner delivers and are refused.
bool NamesFor(int format, FormatNames& names) {
    switch (format) {
    case IFF_BMP:
        names = {"BMP", "NONE"};
        return true;
    case IFF_JFIF_JPEG:
        names = {"JPEG", "JPEG"};
        return true;
    case IFF_PNG:
        names = {"PNG", "PNG"};
        return true;
    case IFF_PNM:
        names = {"PNM", "NONE"};
        return true;
    case IFF_GIF:
        names = {"GIF", "GIF"};
        return true;
    case IFF_JP2:
        names = {"JP2", "JPEG2000"};
        return true;
    case IFF_WEBP:
        names = {"WEBP", "WEBP"};
        return true;
    default:
        return false;
    }
}

// A BMP stores pixels per metre at offsets 38 and 42 of the file.
void BmpResolution(FILE* f, int& x, int& y) {
    unsigned char header[46];
    if (std::fseek(f, 0, SEEK_SET) != 0 || std::fread(header, 1, sizeof header, f) != sizeof header) return;
    auto le32 = [&header](int at) {
        return static_cast<qint32>(quint32(header[at]) | quint32(header[at + 1]) << 8 | quint32(header[at + 2]) << 16 |
                                   quint32(header[at + 3]) << 24);
    };
    const qint32 xppm = le32(38);
    const qint32 yppm = le32(42);
    if (xppm > 0 && xppm < 4000000) x = static_cast<int>(xppm / 39.37 + 0.5);
    if (yppm > 0 && yppm < 4000000) y = static_cast<int>(yppm / 39.37 + 0.5);
}

quint32 BigEndian32(const unsigned char* b) {
    return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | quint32(b[3]);
}

// The chunks of a PNG before its pixels: the palette's kind and whether a transparency chunk comes.
void ReadPngChunks(FILE* f, PixelLayout& layout) {
    if (std::fseek(f, 8, SEEK_SET) != 0) return;
    for (int chunk = 0; chunk < 1000; ++chunk) {
        unsigned char head[8];
        if (std::fread(head, 1, sizeof head, f) != sizeof head) return;
        const quint32 length = BigEndian32(head);
        const QByteArray type(reinterpret_cast<const char*>(head + 4), 4);
        if (type == "IDAT" || type == "IEND" || length > 0x7fffffff) return;
        long skip = long(length) + 4; // data and CRC
        if (type == "tRNS") layout.transparency = true;
        if (type == "PLTE" && length <= 768 && length % 3 == 0) {
            unsigned char rgb[768];
            if (std::fread(rgb, 1, length, f) != length) return;
            layout.palette = KindOfPalette(rgb, int(length / 3));
            skip = 4;
        }
        if (std::fseek(f, skip, SEEK_CUR) != 0) return;
    }
}

// Whether a JPEG's frame is progressive (libjpeg then holds the coefficients of the whole image).
bool IsProgressiveJpeg(FILE* f) {
    if (std::fseek(f, 2, SEEK_SET) != 0) return false;
    for (int segment = 0; segment < 1000; ++segment) {
        int c = std::fgetc(f);
        if (c != 0xff) return false;
        while (c == 0xff) c = std::fgetc(f);
        if (c == EOF || c == 0xda || c == 0xd9) return false; // pixels or the end before a frame
        const bool frame = c >= 0xc0 && c <= 0xcf && c != 0xc4 && c != 0xc8 && c != 0xcc;
        if (frame) return c == 0xc2 || c == 0xc6 || c == 0xca || c == 0xce;
        const int high = std::fgetc(f), low = std::fgetc(f);
        if (high == EOF || low == EOF || std::fseek(f, (high << 8 | low) - 2, SEEK_CUR) != 0) return false;
    }
    return false;
}

} // namespace

PaletteKind KindOfPalette(const unsigned char* rgb, int entries) {
    bool grey = true, black = false, white = false, other = false;
    for (int i = 0; i < entries; ++i) {
        const int r = rgb[3 * i], g = rgb[3 * i + 1], b = rgb[3 * i + 2];
        grey = grey && r == g && g == b;
        black = black || (r == 0 && g == 0 && b == 0);
        white = white || (r == 255 && g == 255 && b == 255);
        other = other || !((r == 0 && g == 0 && b == 0) || (r == 255 && g == 255 && b == 255));
    }
    if (!grey) return PaletteKind::Colour;
    return entries == 2 && black && white && !other ? PaletteKind::BlackWhite : PaletteKind::Grey;
}

Result<ImageFileKind> IdentifyImageFile(const QString& path) {
    using Outcome = Result<ImageFileKind>;
    const QFileInfo fileInfo(path);
    if (!fileInfo.exists()) return Outcome::failure(QStringLiteral("the file does not exist"));
    if (!fileInfo.isFile()) return Outcome::failure(QStringLiteral("not a regular file"));
    ImageFileKind kind;
    kind.sizeInBytes = fileInfo.size();
    if (kind.sizeInBytes == 0) return Outcome::failure(QStringLiteral("the file is empty"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Outcome::failure(QStringLiteral("the file cannot be opened: ") + file.errorString());
    l_uint8 magic[16] = {};
    if (file.read(reinterpret_cast<char*>(magic), sizeof magic) < 0) {
        return Outcome::failure(QStringLiteral("the file cannot be read: ") + file.errorString());
    }
    MessageCapture capture;
    l_int32 format = IFF_UNKNOWN;
    if (findFileFormatBuffer(magic, &format) != 0 || format == IFF_UNKNOWN) {
        return Outcome::failure(QStringLiteral("not an image file"));
    }
    kind.format = format;
    kind.isTiff = L_FORMAT_IS_TIFF(format);
    FormatNames names{};
    if (!kind.isTiff && !NamesFor(format, names)) return Outcome::failure(QStringLiteral("not an image file"));
    return Outcome::success(kind);
}

Result<ImageFileInfo> ReadSingleImageInfo(const QString& path, const ImageFileKind& kind, int page,
                                          PixelLayout* layout) {
    using Outcome = Result<ImageFileInfo>;
    if (page != 0)
        return Outcome::failure(QStringLiteral("page %1 does not exist, the file has 1 page(s)").arg(page + 1));
    MessageCapture capture;
    const QByteArray name = NativePath(path);
    l_int32 format = 0, w = 0, h = 0, bps = 0, spp = 0, colourMap = 0;
    l_int32 x = 0, y = 0;
    PixelLayout pixels;
    bool readable = false;
    {
        StandardErrorGuard quiet;
        readable = pixReadHeader(name.constData(), &format, &w, &h, &bps, &spp, &colourMap) == 0 && w > 0 && h > 0;
        FilePtr f(readable ? std::fopen(name.constData(), "rb") : nullptr);
        if (f) {
            switch (kind.format) {
            case IFF_PNG:
                fgetPngResolution(f.get(), &x, &y);
                ReadPngChunks(f.get(), pixels);
                break;
            case IFF_JFIF_JPEG:
                fgetJpegResolution(f.get(), &x, &y);
                pixels.progressive = IsProgressiveJpeg(f.get());
                break;
            case IFF_BMP:
                BmpResolution(f.get(), x, y);
                break;
            default:
                break;
            }
        }
    }
    if (!readable) return Outcome::failure(capture.describe(QStringLiteral("the image header is damaged")));
    FormatNames names{};
    NamesFor(kind.format, names);
    ImageFileInfo info;
    info.width = w;
    info.height = h;
    info.bitsPerPixel = bps * spp;
    info.pageCount = 1;
    info.formatName = QString::fromLatin1(names.format);
    info.compressionName = QString::fromLatin1(names.compression);

    info.xResolution = x > 0 ? x : 0;
    info.yResolution = y > 0 ? y : 0;
    if (layout) {
        pixels.bitsPerSample = bps;
        pixels.samplesPerPixel = spp;
        // A PNG in colour may carry a suggested palette that its pixels do not use.
        if (!colourMap) {
            pixels.palette = PaletteKind::None;
        } else if (pixels.palette == PaletteKind::None) {
            pixels.palette = PaletteKind::Colour;
        }
        // Only a page of one sample turns RGBA for a transparency chunk.
        pixels.transparency = pixels.transparency && spp == 1;
        *layout = pixels;
    }
    return Outcome::success(info);
}

} // namespace kestrova::leptonica
