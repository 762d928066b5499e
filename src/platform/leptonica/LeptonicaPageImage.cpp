#include "platform/leptonica/LeptonicaPageImage.h"

#include "platform/leptonica/LeptonicaBitmap.h"
#include "platform/leptonica/LeptonicaMessages.h"

#include <cmath>
#include <new>
#include <numbers>
#include <utility>

namespace kestrova {

using leptonica::MessageCapture;
using leptonica::PixPtr;

namespace {

using ImageCopy = Result<std::unique_ptr<PageImage>>;

ImageCopy Wrap(PixPtr pix) {
    return ImageCopy::success(std::make_unique<LeptonicaPageImage>(std::move(pix)));
}

QString Size(int w, int h) {
    return QStringLiteral("%1 x %2").arg(w).arg(h);
}

} // namespace

LeptonicaPageImage::LeptonicaPageImage(PixPtr pix) : m_pix(std::move(pix)) {}

int LeptonicaPageImage::width() const {
    return pixGetWidth(m_pix.get());
}
int LeptonicaPageImage::height() const {
    return pixGetHeight(m_pix.get());
}
int LeptonicaPageImage::bitsPerPixel() const {
    return leptonica::ReportedDepth(m_pix.get());
}
int LeptonicaPageImage::xResolution() const {
    return pixGetXRes(m_pix.get());
}
int LeptonicaPageImage::yResolution() const {
    return pixGetYRes(m_pix.get());
}
void LeptonicaPageImage::setResolution(int xDpi, int yDpi) {
    pixSetResolution(m_pix.get(), xDpi, yDpi);
}

std::unique_ptr<PageImage> LeptonicaPageImage::clone() const {
    MessageCapture capture;
    PixPtr copy(pixCopy(nullptr, m_pix.get()));
    if (!copy) return nullptr;
    return std::make_unique<LeptonicaPageImage>(std::move(copy));
}

Status LeptonicaPageImage::turn(double degrees) {
    if (!std::isfinite(degrees)) return Status::failure(QStringLiteral("Cannot turn an image by an undefined angle"));
    MessageCapture capture;
    double angle = std::fmod(degrees, 360.0);
    if (angle < 0) angle += 360.0;
    const double quarters = std::round(angle / 90.0);
    PixPtr turned;
    if (std::abs(angle - quarters * 90.0) < 1e-9) {
        const int quads = static_cast<int>(quarters) % 4;
        if (quads == 0) return Status::success();
        turned.reset(pixRotateOrth(m_pix.get(), quads));
        if (turned && quads % 2 == 1) pixSetResolution(turned.get(), yResolution(), xResolution());
    } else {
        if (angle > 180.0) angle -= 360.0;
        const int depth = pixGetDepth(m_pix.get());
        const int type = depth < 8 ? L_ROTATE_SAMPLING : L_ROTATE_AREA_MAP;
        // Given the page's own size, Leptonica enlarges the canvas to hold the whole turned page.
        turned.reset(pixRotate(m_pix.get(), static_cast<float>(angle * std::numbers::pi / 180.0), type,
                               L_BRING_IN_WHITE, width(), height()));
        if (turned && pixGetDepth(turned.get()) != depth) {
            turned = leptonica::ConvertedToDepth(std::move(turned), bitsPerPixel());
        }
    }
    if (!turned) return Status::failure(capture.describe(QStringLiteral("Cannot turn the image")));
    m_pix = std::move(turned);
    return Status::success();
}

Status LeptonicaPageImage::invert() {
    MessageCapture capture;
    if (!pixInvert(m_pix.get(), m_pix.get())) {
        return Status::failure(capture.describe(QStringLiteral("Cannot invert the image")));
    }
    return Status::success();
}

Result<std::unique_ptr<PageImage>> LeptonicaPageImage::copyRect(const QRect& rect, const QSize& newSize) const {
    const QRect clipped = rect.intersected(QRect(0, 0, width(), height()));
    if (clipped.isEmpty()) {
        return ImageCopy::failure(QStringLiteral("The rectangle %1 at (%2, %3) lies outside the %4 image")
                                      .arg(Size(rect.width(), rect.height()))
                                      .arg(rect.x())
                                      .arg(rect.y())
                                      .arg(Size(width(), height())));
    }
    MessageCapture capture;
    leptonica::BoxPtr box(boxCreate(clipped.x(), clipped.y(), clipped.width(), clipped.height()));
    PixPtr copy(box ? pixClipRectangle(m_pix.get(), box.get(), nullptr) : nullptr);
    if (copy && newSize.isValid() && !newSize.isEmpty() && newSize != clipped.size()) {
        PixPtr scaled(pixScaleToSize(copy.get(), newSize.width(), newSize.height()));
        if (scaled && pixGetDepth(scaled.get()) != pixGetDepth(m_pix.get())) {
            scaled = leptonica::ConvertedToDepth(std::move(scaled), bitsPerPixel());
        }
        copy = std::move(scaled);
    }
    if (!copy) return ImageCopy::failure(capture.describe(QStringLiteral("Cannot copy the rectangle")));
    return Wrap(std::move(copy));
}

Result<std::unique_ptr<PageImage>> LeptonicaPageImage::converted(int bitsPerPixel) const {
    const int depth = leptonica::SupportedDepth(bitsPerPixel);
    if (depth == 0)
        return ImageCopy::failure(QStringLiteral("Unsupported depth of %1 bits per pixel").arg(bitsPerPixel));
    MessageCapture capture;
    PixPtr copy = leptonica::ConvertedCopy(m_pix.get(), depth);
    if (!copy) return ImageCopy::failure(capture.describe(QStringLiteral("Cannot convert the image")));
    return Wrap(std::move(copy));
}

Status LeptonicaPageImage::toPageBitmap(barcode::PageBitmap& out) const {
    if (pixGetDepth(m_pix.get()) != 1) {
        return Status::failure(
            QStringLiteral("The barcode reader needs a 1-bit image, not %1 bits per pixel").arg(bitsPerPixel()));
    }
    try {
        leptonica::PixToPageBitmap(m_pix.get(), out);
    } catch (const std::bad_alloc&) {
        return Status::failure(QStringLiteral("Not enough memory for the page bitmap"));
    }
    return Status::success();
}

} // namespace kestrova
