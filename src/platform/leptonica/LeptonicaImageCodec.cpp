#include "platform/leptonica/LeptonicaImageCodec.h"

#include "platform/leptonica/ImageFileHeaders.h"
#include "platform/leptonica/LeptonicaBitmap.h"
#include "platform/leptonica/LeptonicaMessages.h"
#include "platform/leptonica/LeptonicaPageImage.h"
#include "platform/leptonica/TiffFiles.h"

#include <QDir>

#include <algorithm>

namespace kestrova {

using leptonica::MessageCapture;
using leptonica::PixPtr;

namespace {

// Largest decoded page accepted: an A3 colour page at 600 dpi needs about 280 MB.
constexpr qint64 MAX_PAGE_BYTES = qint64{1} << 30;

QString CannotRead(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

LeptonicaImageCodec::LeptonicaImageCodec() {
    leptonica::InstallMessageHandlers();
}

ImageResult<ImageFileInfo> LeptonicaImageCodec::fileInfo(const QString& path, int page) const {
    using Result = ImageResult<ImageFileInfo>;
    const ImageResult<leptonica::ImageFileKind> kind = leptonica::IdentifyImageFile(path);
    if (!kind) return Result::failure(CannotRead(path, kind.error));
    Result info = kind.value.isTiff ? leptonica::ReadTiffPageInfo(path, page)
                                    : leptonica::ReadSingleImageInfo(path, kind.value, page);
    if (!info) return Result::failure(CannotRead(path, info.error));
    info.value.sizeInBytes = kind.value.sizeInBytes;
    return info;
}

ImageResult<int> LeptonicaImageCodec::pageCount(const QString& path) const {
    const ImageResult<leptonica::ImageFileKind> kind = leptonica::IdentifyImageFile(path);
    if (!kind) return ImageResult<int>::failure(CannotRead(path, kind.error));
    if (!kind.value.isTiff) {
        const ImageResult<ImageFileInfo> info = leptonica::ReadSingleImageInfo(path, kind.value, 0);
        if (!info) return ImageResult<int>::failure(CannotRead(path, info.error));
        return ImageResult<int>::success(1);
    }
    ImageResult<int> count = leptonica::CountTiffPages(path);
    if (!count) return ImageResult<int>::failure(CannotRead(path, count.error));
    return count;
}

ImageResult<LoadedPage> LeptonicaImageCodec::loadPage(const QString& path, int page, int bitsPerPixel) const {
    using Result = ImageResult<LoadedPage>;
    const int depth = leptonica::SupportedDepth(bitsPerPixel);
    if (depth == 0) {
        return Result::failure(
            CannotRead(path, QStringLiteral("unsupported depth of %1 bits per pixel").arg(bitsPerPixel)));
    }
    ImageResult<ImageFileInfo> info = fileInfo(path, page);
    if (!info) return Result::failure(info.error);
    // A damaged or hostile header must not make us claim gigabytes.
    const qint64 bytesPerPixel = std::max(info.value.bitsPerPixel, depth) > 8 ? 4 : 1;
    if (qint64{info.value.width} * bytesPerPixel > MAX_PAGE_BYTES / info.value.height) {
        return Result::failure(CannotRead(path, QStringLiteral("the page is too large to load (%1 x %2 pixels)")
                                                    .arg(info.value.width)
                                                    .arg(info.value.height)));
    }

    MessageCapture capture;
    const QByteArray name = leptonica::NativePath(path);
    PixPtr pix;
    if (info.value.formatName == QLatin1String("TIFF")) {
        pix.reset(pixReadTiff(name.constData(), page));
    } else {
        leptonica::StandardErrorGuard quiet;
        pix.reset(pixRead(name.constData()));
    }
    if (!pix) return Result::failure(CannotRead(path, capture.describe(QStringLiteral("the image data is damaged"))));
    if (pixGetWidth(pix.get()) != info.value.width || pixGetHeight(pix.get()) != info.value.height) {
        return Result::failure(CannotRead(path, QStringLiteral("the image data does not match its header")));
    }
    PixPtr converted = leptonica::ConvertedToDepth(std::move(pix), depth);
    if (!converted) {
        return Result::failure(
            CannotRead(path, capture.describe(QStringLiteral("cannot convert to %1 bits per pixel").arg(depth))));
    }
    LoadedPage loaded;
    loaded.image = std::make_unique<LeptonicaPageImage>(std::move(converted));
    loaded.info = std::move(info.value);
    return Result::success(std::move(loaded));
}

ImageResult<std::unique_ptr<PageImage>> LeptonicaImageCodec::fromPageBitmap(const barcode::PageBitmap& bitmap, int xDpi,
                                                                            int yDpi) const {
    using Result = ImageResult<std::unique_ptr<PageImage>>;
    MessageCapture capture;
    PixPtr pix = leptonica::PageBitmapToPix(bitmap);
    if (!pix)
        return Result::failure(capture.describe(QStringLiteral("The page bitmap is empty or its sizes do not match")));
    pixSetResolution(pix.get(), xDpi, yDpi);
    return Result::success(std::make_unique<LeptonicaPageImage>(std::move(pix)));
}

} // namespace kestrova
