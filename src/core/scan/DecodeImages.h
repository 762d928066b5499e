#pragma once

#include "core/ports/PageImage.h"

#include <functional>

namespace kestrova {

class Station;

// Stands in for batch decoding until it is wired: it only shows the batch that was scanned (the
// page count under the batch image and the first page in the status view) and leaves the
// image-set file as it is. Batch decoding replaces this call in ScanControl::setDecodeImages.
void PlaceholderDecodeImages(Station& station, const ImageCodec& codec, const std::function<void()>& showStatusView);

} // namespace kestrova
