#include "core/store/SaveImageAs.h"

#include <QRect>
#include <QSize>

#include <algorithm>

namespace kestrova {

namespace {

bool Unscaled(int percent) {
    return percent <= 0 || percent == 100;
}

} // namespace

Result<std::unique_ptr<PageImage>> ScaledImage(const PageImage& image, int percent) {
    using Outcome = Result<std::unique_ptr<PageImage>>;
    if (percent <= 0 || percent == 100) {
        std::unique_ptr<PageImage> copy = image.clone();
        if (!copy) return Outcome::failure(QStringLiteral("Not enough memory to copy the image"));
        return Outcome::success(std::move(copy));
    }
    const int width = std::max(1, static_cast<int>(qint64{image.width()} * percent / 100));
    const int height = std::max(1, static_cast<int>(qint64{image.height()} * percent / 100));
    return image.copyRect(QRect(0, 0, image.width(), image.height()), QSize(width, height));
}

QString SaveImageAs(const PageImage& image, const QString& path, const QString& extension, int percent) {
    const QString ext = extension.toLower();
    ImageFileFormat format;
    if (ext == QLatin1String(".png")) {
        format = ImageFileFormat::Png;
    } else if (ext == QLatin1String(".bmp")) {
        format = ImageFileFormat::Bmp;
    } else if (ext == QLatin1String(".jpg")) {
        format = ImageFileFormat::Jpeg;
    } else {
        return QStringLiteral("no writer for ") + (ext.isEmpty() ? QStringLiteral("files without extension") : ext) +
               QStringLiteral(" files");
    }
    const int quality = std::clamp(percent, 1, 100);
    if (Unscaled(percent)) {
        const Status saved = image.saveAs(path, format, quality);
        return saved ? QString() : saved.error();
    }
    const Result<std::unique_ptr<PageImage>> scaled = ScaledImage(image, percent);
    if (!scaled) return scaled.error();
    const Status saved = scaled.value()->saveAs(path, format, quality);
    return saved ? QString() : saved.error();
}

TiffCompression TiffCompressionFor(int compressionCode, int bitsPerPixel) {
    switch (compressionCode) {
    case 1:
    case 2:
    case 3:
        return bitsPerPixel == 1 ? TiffCompression::CcittG4 : TiffCompression::None;
    case 4:
        return TiffCompression::Lzw;
    case 5:
        return TiffCompression::PackBits;
    default:
        return TiffCompression::None;
    }
}

QString SaveTiffCopy(const PageImage& image, const QString& path, int compressionCode, int percent) {
    std::unique_ptr<PageImage> scaled;
    if (!Unscaled(percent)) {
        Result<std::unique_ptr<PageImage>> made = ScaledImage(image, percent);
        if (!made) return made.error();
        scaled = std::move(made).value();
    }
    // At full size the image itself is written; no copy of it is made.
    const PageImage& written = scaled ? *scaled : image;
    const TiffCompression compression = TiffCompressionFor(compressionCode, written.bitsPerPixel());
    const Status saved = written.saveTiff(path, compression, TiffSaveMode::Replace);
    return saved ? QString() : saved.error();
}

} // namespace kestrova
