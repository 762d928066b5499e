#pragma once

#include "core/ports/PageImage.h"
#include "platform/leptonica/PageFootprint.h"

namespace kestrova::leptonica {

struct ImageFileKind {
    int format = 0; // Leptonica's IFF_ code
    bool isTiff = false;
    qint64 sizeInBytes = 0;
};

// Checks that path is a non-empty regular file in a format this adapter reads, by its content.
Result<ImageFileKind> IdentifyImageFile(const QString& path);

// Size, depth and resolutions from the header of a format that holds one image (not TIFF); with
// layout, also how the pixels are stored (a palette of another format than PNG is taken as colour).
Result<ImageFileInfo> ReadSingleImageInfo(const QString& path, const ImageFileKind& kind, int page,
                                          PixelLayout* layout = nullptr);

// The kind of palette of entries red, green, blue (8 bits each).
PaletteKind KindOfPalette(const unsigned char* rgb, int entries);

} // namespace kestrova::leptonica
