// Cleaning up a scanned page: straightening a slanted page and whitening the dark border a
// scanner leaves around it.
#include "platform/leptonica/LeptonicaMessages.h"
#include "platform/leptonica/LeptonicaPageImage.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace kestrova {

using leptonica::MessageCapture;
using leptonica::PixPtr;

namespace {

// The slant searched for, in degrees either way, and the first step of the search. The measure
// loses its confidence within a step of the range's ends, so the range reaches a little beyond
// the few degrees a page is fed askew.
constexpr float SLANT_RANGE = 10.0f;
constexpr float SLANT_SWEEP_STEP = 1.0f;
// The search stops refining below this many degrees.
constexpr float SLANT_PRECISION = 0.01f;
// A slant below this is left alone: turning would only blur the page.
constexpr double NEGLIGIBLE_SLANT = 0.1;
// The measure's ratio of best to worst score below which the slant is not trusted. Pages with
// nothing in lines (specks, blots, strokes at all angles) score 1.1 to 1.4; a sparse form with a
// few lines of print scores from about 2.5 up.
constexpr float MIN_SLANT_CONFIDENCE = 2.0f;

// Reduction factors for the coarse sweep and the fine search: large pages are measured on a
// reduced copy, small ones at full size so that their few lines still count.
std::pair<int, int> SlantReductions(PIX* pix) {
    const int side = std::min(pixGetWidth(pix), pixGetHeight(pix));
    if (side >= 1600) return {4, 2};
    if (side >= 800) return {2, 1};
    return {1, 1};
}

// The dark pixels of pix as a 1-bit image (set bit dark); pix itself when it is 1 bit deep.
PixPtr DarkMask(PIX* pix) {
    if (pixGetDepth(pix) == 1) return PixPtr(pixClone(pix));
    return leptonica::ConvertedCopy(pix, 1);
}

l_uint32 WhiteValue(int depth) {
    switch (depth) {
    case 1:
        return 0;
    case 32:
        return 0xffffff00;
    default:
        return (1u << depth) - 1;
    }
}

} // namespace

Status LeptonicaPageImage::deskew() {
    MessageCapture capture;
    PixPtr mask = DarkMask(m_pix.get());
    if (!mask) return Status::failure(capture.describe(QStringLiteral("Cannot measure the slant of the page")));
    const auto [sweepReduction, searchReduction] = SlantReductions(mask.get());
    l_float32 angle = 0, confidence = 0;
    // A failed measure means there is too little on the page to tell its slant.
    if (pixFindSkewSweepAndSearch(mask.get(), &angle, &confidence, sweepReduction, searchReduction, SLANT_RANGE,
                                  SLANT_SWEEP_STEP, SLANT_PRECISION) != 0 ||
        !std::isfinite(angle) || confidence < MIN_SLANT_CONFIDENCE || std::abs(angle) < NEGLIGIBLE_SLANT) {
        return Status::success();
    }
    mask.reset();

    // The measured angle is the clockwise turn that straightens the page. The page keeps its size:
    // the corners turned out of it are lost, white comes in at the others.
    const int depth = pixGetDepth(m_pix.get());
    const int type = depth == 1 ? L_ROTATE_SHEAR : L_ROTATE_AREA_MAP;
    PixPtr straight(
        pixRotate(m_pix.get(), static_cast<float>(angle * std::numbers::pi / 180.0), type, L_BRING_IN_WHITE, 0, 0));
    if (straight && pixGetDepth(straight.get()) != depth) {
        straight = leptonica::ConvertedToDepth(std::move(straight), bitsPerPixel());
    }
    if (!straight) return Status::failure(capture.describe(QStringLiteral("Cannot straighten the page")));
    if (depth == 32) pixSetSpp(straight.get(), 3);
    pixCopyResolution(straight.get(), m_pix.get());
    m_pix = std::move(straight);
    return Status::success();
}

Status LeptonicaPageImage::removeBorder() {
    MessageCapture capture;
    PixPtr mask = DarkMask(m_pix.get());
    PixPtr border(mask ? pixExtractBorderConnComps(mask.get(), 8) : nullptr);
    mask.reset();
    if (!border || pixSetMasked(m_pix.get(), border.get(), WhiteValue(pixGetDepth(m_pix.get()))) != 0) {
        return Status::failure(capture.describe(QStringLiteral("Cannot remove the border of the page")));
    }
    return Status::success();
}

} // namespace kestrova
