#include "platform/leptonica/LeptonicaMessages.h"
#include "platform/leptonica/LeptonicaPageImage.h"
#include "platform/leptonica/SafeFileWrite.h"
#include "platform/leptonica/TiffFiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace kestrova {

using leptonica::MessageCapture;
using leptonica::PixPtr;
using leptonica::StandardErrorGuard;

namespace {

int LeptonicaTiffFormat(TiffCompression compression) {
    switch (compression) {
    case TiffCompression::CcittG4:
        return IFF_TIFF_G4;
    case TiffCompression::Lzw:
        return IFF_TIFF_LZW;
    case TiffCompression::PackBits:
        return IFF_TIFF_PACKBITS;
    case TiffCompression::None:
        break;
    }
    return IFF_TIFF;
}

Status ExpectPages(const QString& path, int expected) {
    const Result<int> count = leptonica::CountTiffPages(path);
    if (!count) return Status::failure(count.error());
    if (count.value() != expected) {
        return Status::failure(
            QStringLiteral("the written file holds %1 pages instead of %2").arg(count.value()).arg(expected));
    }
    return Status::success();
}

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

Status LeptonicaPageImage::saveTiff(const QString& path, TiffCompression compression, TiffSaveMode mode) const {
    if (compression == TiffCompression::CcittG4 && pixGetDepth(m_pix.get()) != 1) {
        return Status::failure(
            QStringLiteral("Cannot write %1: CCITT group 4 needs a 1-bit image, not %2 bits per pixel")
                .arg(Shown(path))
                .arg(bitsPerPixel()));
    }
    const int format = LeptonicaTiffFormat(compression);
    const bool append = mode == TiffSaveMode::Append && QFileInfo::exists(path);
    int pagesBefore = 0;
    if (append) {
        const Result<int> count = leptonica::CountTiffPages(path);
        if (!count)
            return Status::failure(QStringLiteral("Cannot add a page to %1: %2").arg(Shown(path), count.error()));
        pagesBefore = count.value();
    }
    PIX* pix = m_pix.get();
    const Status status = leptonica::WriteThroughTemporary(
        path, append,
        [pix, format, append](const QByteArray& temp) {
            MessageCapture capture;
            if (pixWriteTiff(temp.constData(), pix, format, append ? "a" : "w") != 0) {
                return Status::failure(capture.describe(QStringLiteral("the TIFF writer failed")));
            }
            return Status::success();
        },
        [pagesBefore](const QString& temp) { return ExpectPages(temp, pagesBefore + 1); });
    if (!status) return Status::failure(QStringLiteral("Cannot write %1: %2").arg(Shown(path), status.error()));
    return status;
}

Status LeptonicaPageImage::saveAs(const QString& path, ImageFileFormat format, int jpegQuality) const {
    PixPtr toWrite;
    PIX* pix = m_pix.get();
    if (format == ImageFileFormat::Jpeg && pixGetDepth(pix) < 8) {
        MessageCapture capture;
        toWrite = leptonica::ConvertedCopy(pix, 8);
        if (!toWrite) return Status::failure(capture.describe(QStringLiteral("Cannot write %1").arg(Shown(path))));
        pix = toWrite.get();
    }
    const int quality = std::clamp(jpegQuality, 1, 100);
    const Status status = leptonica::WriteThroughTemporary(path, false, [pix, format, quality](const QByteArray& temp) {
        MessageCapture capture;
        l_ok failed = 1;
        {
            StandardErrorGuard quiet;
            switch (format) {
            case ImageFileFormat::Png:
                failed = pixWrite(temp.constData(), pix, IFF_PNG);
                break;
            case ImageFileFormat::Bmp:
                failed = pixWrite(temp.constData(), pix, IFF_BMP);
                break;
            case ImageFileFormat::Jpeg:
                failed = pixWriteJpeg(temp.constData(), pix, quality, 0);
                break;
            }
        }
        if (failed) return Status::failure(capture.describe(QStringLiteral("the image writer failed")));
        return Status::success();
    });
    if (!status) return Status::failure(QStringLiteral("Cannot write %1: %2").arg(Shown(path), status.error()));
    return status;
}

} // namespace kestrova
