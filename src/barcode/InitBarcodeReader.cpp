#include "barcode/QVCodabar.h"

#include <algorithm>
#include <limits>

namespace kestrova::barcode {

bool InitBarcodeReader(QVCodabar& reader, std::uint8_t narrowFrom, std::uint8_t narrowTo, std::uint8_t wideFrom,
                       std::uint8_t wideTo, std::uint8_t doubleFrom, std::uint8_t doubleTo, std::uint8_t quadFrom,
                       std::uint8_t quadTo, std::uint8_t digitsFrom, std::uint8_t digitsTo,
                       std::int32_t minPageHeightMm, std::uint32_t flags) {
    if (!reader.Extra) reader.Extra = std::make_unique<TBcodeExtra>();
    reader.NarrowFrom = narrowFrom;
    reader.NarrowTo = narrowTo;
    reader.WideFrom = wideFrom;
    reader.WideTo = wideTo;
    reader.DoubleFrom = doubleFrom;
    reader.DoubleTo = doubleTo;
    reader.QuadFrom = quadFrom;
    reader.QuadTo = quadTo;
    reader.DigitsFrom = digitsFrom;
    reader.DigitsTo = digitsTo;
    // Saturates instead of overflowing for absurd heights.
    const std::int64_t milli = std::int64_t{minPageHeightMm} * 1000;
    reader.MinHeightMilli = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        milli, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    reader.Flags = flags;
    reader.ActiveFlags = flags;
    reader.InkThreshold = (flags & FlagBackgroundIsWhite) ? 200 : 500;

    const bool refused = narrowTo < narrowFrom || narrowTo > wideFrom || wideFrom > wideTo ||
                         reader.MinHeightMilli <= 1 || flags < FlagBackgroundIsWhite;
    if (!refused) reader.InitMarker = "InitOK";
    return refused;
}

} // namespace kestrova::barcode
