#pragma once

#include "barcode/PageBitmap.h"

#include <QString>
#include <cstdint>
#include <sane/sane.h>
#include <vector>

namespace kestrova::sane {

// Collects the frames of one scanned page (one frame, or three for three-pass colour) as grey
// levels, and turns them into a 1-bit page: grey levels below 128 are black.
class PageFrames {
public:
    // Adds one frame's data. False with error set when the format cannot be read.
    bool add(const SANE_Parameters& params, const std::vector<std::uint8_t>& data, QString& error);
    bool empty() const { return m_width == 0; }
    void toPageBitmap(barcode::PageBitmap& out) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<float> m_grey; // 0 black .. 255 white, top row first
    bool m_separate = false;   // three-pass frames are summed with their weights
};

} // namespace kestrova::sane
