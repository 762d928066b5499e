#pragma once

#include "barcode/PageBitmap.h"

#include <QString>
#include <cstdint>
#include <sane/sane.h>
#include <vector>

namespace kestrova::sane {

// Collects the frames of one scanned page (one frame, or three for three-pass colour) line by line
// as the scanner sends them, and makes a 1-bit page of them: grey levels below 128 are black.
// A single frame is made 1 bit as its lines come, so only the 1-bit page is held; three-pass
// frames add up their weighted grey levels first (2 bytes a pixel).
//
// A page may not take more than maxBytes: the larger of its data as the scanner sends it (all its
// frames) and what is held of it. A frame that declares more is refused before a line is read;
// one whose length is not known beforehand, or that sends more than it declared, is refused at
// the line that passes the limit.
class PageFrames {
public:
    explicit PageFrames(std::int64_t maxBytes);

    // Starts a frame. False with error set when its format cannot be read, it does not fit the
    // frames before it, or its declared size passes the limit.
    bool beginFrame(const SANE_Parameters& params, QString& error);
    // Takes bytes of the current frame as they arrive. False with error set when the page passes
    // the limit.
    bool addData(const std::uint8_t* data, std::size_t length, QString& error);
    // Ends the current frame; lines is the count the scanner reports at its end (0 or less when
    // not known), the page keeps no more lines than that. False with error set on an empty frame.
    bool endFrame(int lines, QString& error);

    bool empty() const { return m_width == 0; }
    void toPageBitmap(barcode::PageBitmap& out) const;

private:
    // Bytes a page of this many lines takes, by the rule above.
    std::int64_t pageBytes(std::int64_t lines) const;
    QString tooLarge(std::int64_t lines, bool known) const;
    void takeLine(const std::uint8_t* line);

    std::int64_t m_maxBytes;
    SANE_Parameters m_params{};
    std::vector<std::uint8_t> m_partial; // the bytes of a line not yet complete
    int m_frameLines = 0;                // complete lines of the current frame
    int m_width = 0;
    int m_height = 0;                 // lines of the page once its first frame has ended
    bool m_separate = false;          // three-pass frames: their grey levels are summed
    std::vector<std::uint8_t> m_bits; // single frame: 1-bit rows, top row first, a set bit white
    std::vector<std::uint16_t> m_sum; // three-pass: weighted grey levels in 1/256 steps
};

} // namespace kestrova::sane
