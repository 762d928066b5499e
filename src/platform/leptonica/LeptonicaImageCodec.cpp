#include "platform/leptonica/LeptonicaImageCodec.h"

#include "platform/leptonica/ImageFileHeaders.h"
#include "platform/leptonica/LeptonicaBitmap.h"
#include "platform/leptonica/LeptonicaMessages.h"
#include "platform/leptonica/LeptonicaPageImage.h"
#include "platform/leptonica/TiffFiles.h"

#include <QDir>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kestrova {

using leptonica::MessageCapture;
using leptonica::PixPtr;

namespace {

QString CannotRead(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

qint64 Megabytes(qint64 bytes) {
    return (bytes + (qint64{1} << 20) - 1) >> 20;
}

// A decoder's working copy is freed in many small blocks (libpng's rows), which the C library
// keeps for later use; after a large page they go back to the system, so that the next stage of
// loading does not come on top of them.
void ReturnFreedMemory(qint64 footprint) {
#if defined(__GLIBC__)
    if (footprint >= (qint64{32} << 20)) malloc_trim(0);
#else
    (void)footprint;
#endif
}

} // namespace

struct LeptonicaImageCodec::Header {
    leptonica::ImageFileKind kind;
    ImageFileInfo info;
    leptonica::PixelLayout layout;

    qint64 footprint(int depth) const {
        return leptonica::LoadFootprint(kind.format, info.width, info.height, layout, kind.sizeInBytes, depth);
    }
};

LeptonicaImageCodec::LeptonicaImageCodec(qint64 pageLimit) : m_pageLimit(pageLimit) {
    leptonica::InstallMessageHandlers();
}

Result<LeptonicaImageCodec::Header> LeptonicaImageCodec::readHeader(const QString& path, int page) const {
    using Outcome = Result<Header>;
    const Result<leptonica::ImageFileKind> kind = leptonica::IdentifyImageFile(path);
    if (!kind) return Outcome::failure(CannotRead(path, kind.error()));
    Header header;
    header.kind = kind.value();
    Result<ImageFileInfo> info = kind.value().isTiff
                                     ? leptonica::ReadTiffPageInfo(path, page, &header.layout)
                                     : leptonica::ReadSingleImageInfo(path, kind.value(), page, &header.layout);
    if (!info) return Outcome::failure(CannotRead(path, info.error()));
    header.info = std::move(info.value());
    header.info.sizeInBytes = kind.value().sizeInBytes;
    return Outcome::success(std::move(header));
}

Result<ImageFileInfo> LeptonicaImageCodec::fileInfo(const QString& path, int page) const {
    Result<Header> header = readHeader(path, page);
    if (!header) return Result<ImageFileInfo>::failure(header.error());
    return Result<ImageFileInfo>::success(std::move(header.value().info));
}

Result<qint64> LeptonicaImageCodec::loadBytes(const QString& path, int page, int bitsPerPixel) const {
    const int depth = leptonica::SupportedDepth(bitsPerPixel);
    if (depth == 0) {
        return Result<qint64>::failure(
            CannotRead(path, QStringLiteral("unsupported depth of %1 bits per pixel").arg(bitsPerPixel)));
    }
    const Result<Header> header = readHeader(path, page);
    if (!header) return Result<qint64>::failure(header.error());
    return Result<qint64>::success(header.value().footprint(depth));
}

Result<int> LeptonicaImageCodec::pageCount(const QString& path) const {
    const Result<leptonica::ImageFileKind> kind = leptonica::IdentifyImageFile(path);
    if (!kind) return Result<int>::failure(CannotRead(path, kind.error()));
    if (!kind.value().isTiff) {
        const Result<ImageFileInfo> info = leptonica::ReadSingleImageInfo(path, kind.value(), 0);
        if (!info) return Result<int>::failure(CannotRead(path, info.error()));
        return Result<int>::success(1);
    }
    Result<int> count = leptonica::CountTiffPages(path);
    if (!count) return Result<int>::failure(CannotRead(path, count.error()));
    return count;
}

Result<LoadedPage> LeptonicaImageCodec::loadPage(const QString& path, int page, int bitsPerPixel) const {
    using Outcome = Result<LoadedPage>;
    const int depth = leptonica::SupportedDepth(bitsPerPixel);
    if (depth == 0) {
        return Outcome::failure(
            CannotRead(path, QStringLiteral("unsupported depth of %1 bits per pixel").arg(bitsPerPixel)));
    }
    Result<Header> header = readHeader(path, page);
    if (!header) return Outcome::failure(header.error());
    ImageFileInfo& info = header.value().info;
    // A page too large for memory, or a damaged or hostile header, must not make us claim it.
    const qint64 bytes = header.value().footprint(depth);
    if (bytes > m_pageLimit) {
        return Outcome::failure(CannotRead(
            path, QStringLiteral("the page is too large to load: %1 x %2 pixels at %3 bits per pixel would take %4 MB "
                                 "of memory, more than the %5 MB allowed for a page")
                      .arg(info.width)
                      .arg(info.height)
                      .arg(info.bitsPerPixel)
                      .arg(Megabytes(bytes))
                      .arg(Megabytes(m_pageLimit))));
    }

    MessageCapture capture;
    const QByteArray name = leptonica::NativePath(path);
    PixPtr pix;
    if (header.value().kind.isTiff) {
        pix.reset(pixReadTiff(name.constData(), page));
    } else {
        leptonica::StandardErrorGuard quiet;
        pix.reset(pixRead(name.constData()));
    }
    if (!pix) return Outcome::failure(CannotRead(path, capture.describe(QStringLiteral("the image data is damaged"))));
    ReturnFreedMemory(bytes);
    if (pixGetWidth(pix.get()) != info.width || pixGetHeight(pix.get()) != info.height) {
        return Outcome::failure(CannotRead(path, QStringLiteral("the image data does not match its header")));
    }
    PixPtr converted = leptonica::ConvertedToDepth(std::move(pix), depth);
    if (!converted) {
        return Outcome::failure(
            CannotRead(path, capture.describe(QStringLiteral("cannot convert to %1 bits per pixel").arg(depth))));
    }
    LoadedPage loaded;
    loaded.image = std::make_unique<LeptonicaPageImage>(std::move(converted));
    loaded.info = std::move(info);
    return Outcome::success(std::move(loaded));
}

Result<std::unique_ptr<PageImage>> LeptonicaImageCodec::fromPageBitmap(const barcode::PageBitmap& bitmap, int xDpi,
                                                                       int yDpi) const {
    using Outcome = Result<std::unique_ptr<PageImage>>;
    MessageCapture capture;
    PixPtr pix = leptonica::PageBitmapToPix(bitmap);
    if (!pix)
        return Outcome::failure(capture.describe(QStringLiteral("The page bitmap is empty or its sizes do not match")));
    pixSetResolution(pix.get(), xDpi, yDpi);
    return Outcome::success(std::make_unique<LeptonicaPageImage>(std::move(pix)));
}

} // namespace kestrova
