#pragma once

#include "core/ports/PageImage.h"

namespace kestrova {

// Reads page images with Leptonica (and libtiff for what Leptonica does not report). Nothing is
// printed: the libraries' complaints end up in the error texts.
class LeptonicaImageCodec : public ImageCodec {
public:
    LeptonicaImageCodec();

    ImageResult<ImageFileInfo> fileInfo(const QString& path, int page = 0) const override;
    ImageResult<int> pageCount(const QString& path) const override;
    ImageResult<LoadedPage> loadPage(const QString& path, int page, int bitsPerPixel) const override;
    ImageResult<std::unique_ptr<PageImage>> fromPageBitmap(const barcode::PageBitmap& bitmap, int xDpi = 0,
                                                           int yDpi = 0) const override;
};

} // namespace kestrova
