#pragma once

#include "core/ports/PageImage.h"

namespace kestrova::leptonica {

struct ImageFileKind {
    int format = 0; // Leptonica's IFF_ code
    bool isTiff = false;
    qint64 sizeInBytes = 0;
};

// Checks that path is a non-empty regular file in a format this adapter reads, by its content.
ImageResult<ImageFileKind> IdentifyImageFile(const QString& path);

// Size, depth and resolutions from the header of a format that holds one image (not TIFF).
ImageResult<ImageFileInfo> ReadSingleImageInfo(const QString& path, const ImageFileKind& kind, int page);

} // namespace kestrova::leptonica
