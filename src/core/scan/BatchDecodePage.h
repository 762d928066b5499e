#pragma once

#include "core/config/SetupInfo.h"

#include <QString>
#include <QVector>

#include <cstdint>

namespace kestrova {

// Bits of the main reader's flags word that steer batch decoding.
inline constexpr std::uint32_t NoRetryFlag = 0x01000000;             // "Search Option" = 0
inline constexpr std::uint32_t WholeHeightFlag = 0x00400000;         // "Search Option" = 2
inline constexpr std::uint32_t PageMeasuringFlag = 0x00200000;       // "Search Option" = 3
inline constexpr std::uint32_t AutomaticallyInvertFlag = 0x00040000; // "Other Option: Automatically Invert"
inline constexpr std::uint32_t StopAfterFirstFlag = 0x00000001;      // "Stop Searching After First Barcode"

// The depth (percent of the page height) of a page's first read: 100 with "Search Option" 2 or 3,
// otherwise the search depth of the document whose page length is nearest to the page's height
// in tenths of a millimetre (measured with 250.4 per inch). Without document definitions or
// without a vertical resolution the whole page is read.
int PageSearchDepth(std::uint32_t flags, const setupinformation& setup, qint64 heightPx, int verticalDpi);

// The length of a page's content in whole centimetres: the height below the top cut and the
// first inked row. 0 without a vertical resolution.
int ContentLengthCm(qint64 heightPx, int topCut, int firstInkedRow, int verticalDpi);

// The batch summary under the batch image: scan size, resolution, page count, then one line per
// group of pages of about the same content length. A page joins the first group whose length is
// less than 1.5 cm away from its own, or starts a new group; groups of length 0 are not shown.
QString BatchSummaryText(double scanHeightMm, const QString& resolutionText, int pageCount,
                         const QVector<int>& contentLengthsCm);

} // namespace kestrova
