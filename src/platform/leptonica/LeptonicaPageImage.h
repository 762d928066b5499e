#pragma once

#include "core/ports/PageImage.h"
#include "platform/leptonica/LeptonicaPix.h"

namespace kestrova {

// A page image held as a Leptonica pix: normalised (no colour map, no alpha), 1, 4, 8 or 32 bits
// deep (32 holds 24-bit colour).
class LeptonicaPageImage : public PageImage {
public:
    explicit LeptonicaPageImage(leptonica::PixPtr pix);

    int width() const override;
    int height() const override;
    int bitsPerPixel() const override;
    int xResolution() const override;
    int yResolution() const override;
    void setResolution(int xDpi, int yDpi) override;

    std::unique_ptr<PageImage> clone() const override;
    Status turn(double degrees) override;
    Status invert() override;
    Status deskew() override;
    Status removeBorder() override;
    Result<std::unique_ptr<PageImage>> copyRect(const QRect& rect, const QSize& newSize = QSize()) const override;
    Result<std::unique_ptr<PageImage>> converted(int bitsPerPixel) const override;
    Status toPageBitmap(barcode::PageBitmap& out) const override;
    Status saveTiff(const QString& path, TiffCompression compression, TiffSaveMode mode) const override;
    Status saveAs(const QString& path, ImageFileFormat format, int jpegQuality = 75) const override;

    PIX* pix() const { return m_pix.get(); }

private:
    leptonica::PixPtr m_pix;
};

} // namespace kestrova
