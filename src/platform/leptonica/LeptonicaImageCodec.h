#pragma once

#include "core/ports/PageImage.h"

namespace kestrova {

// Reads page images with Leptonica (and libtiff for what Leptonica does not report). Nothing is
// printed: the libraries' complaints end up in the error texts. A page is loaded only when the
// memory its loading takes, worked out from its header (see LoadFootprint), stays within
// pageLimit bytes.
class LeptonicaImageCodec : public ImageCodec {
public:
    explicit LeptonicaImageCodec(qint64 pageLimit = MaxPageBitmapBytes);

    Result<ImageFileInfo> fileInfo(const QString& path, int page = 0) const override;
    Result<int> pageCount(const QString& path) const override;
    Result<LoadedPage> loadPage(const QString& path, int page, int bitsPerPixel) const override;
    Result<qint64> loadBytes(const QString& path, int page, int bitsPerPixel) const override;
    qint64 pageLimit() const override { return m_pageLimit; }
    Result<std::unique_ptr<PageImage>> fromPageBitmap(const barcode::PageBitmap& bitmap, int xDpi = 0,
                                                      int yDpi = 0) const override;

private:
    struct Header;
    Result<Header> readHeader(const QString& path, int page) const;

    qint64 m_pageLimit;
};

} // namespace kestrova
