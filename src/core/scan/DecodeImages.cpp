#include "core/scan/DecodeImages.h"

#include "core/config/SetupInfo.h"
#include "core/scan/ScanControl.h"
#include "core/station/Station.h"

namespace kestrova {

void PlaceholderDecodeImages(Station& station, const ImageCodec& codec, const std::function<void()>& showStatusView) {
    const QString imageSet = ImageSetFile(station.SetupInfo.Directories[SlotScan]);
    const ImageResult<int> pages = codec.pageCount(imageSet);
    station.ui.ScannerDocLabel = pages ? QStringLiteral("Last scan batch: %1 page(s)").arg(pages.value) : pages.error;
    if (showStatusView) showStatusView();
    station.notify();
}

} // namespace kestrova
