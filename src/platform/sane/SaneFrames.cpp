#include "platform/sane/SaneFrames.h"

#include <algorithm>

namespace kestrova::sane {

namespace {

// Sample c of pixel x in a line, scaled to 0..255.
float Sample(const std::uint8_t* line, int depth, int channels, int x, int c) {
    const int i = x * channels + c;
    if (depth == 1) return (line[i / 8] & (0x80 >> (i % 8))) ? 0.0f : 255.0f; // a set bit is black
    if (depth == 16) {
        std::uint16_t v;
        std::copy_n(line + 2 * i, 2, reinterpret_cast<std::uint8_t*>(&v));
        return static_cast<float>(v) / 257.0f;
    }
    return static_cast<float>(line[i]);
}

float Weight(SANE_Frame frame) {
    switch (frame) {
    case SANE_FRAME_RED:
        return 0.299f;
    case SANE_FRAME_GREEN:
        return 0.587f;
    case SANE_FRAME_BLUE:
        return 0.114f;
    default:
        return 1.0f;
    }
}

} // namespace

bool PageFrames::add(const SANE_Parameters& p, const std::vector<std::uint8_t>& data, QString& error) {
    if (p.depth != 1 && p.depth != 8 && p.depth != 16) {
        error = QStringLiteral("The scanner sends %1 bits per sample, which cannot be read").arg(p.depth);
        return false;
    }
    const bool rgb = p.format == SANE_FRAME_RGB;
    const bool separate = p.format == SANE_FRAME_RED || p.format == SANE_FRAME_GREEN || p.format == SANE_FRAME_BLUE;
    if (!rgb && !separate && p.format != SANE_FRAME_GRAY) {
        error = QStringLiteral("The scanner sends its pages in a format that cannot be read");
        return false;
    }
    if (p.bytes_per_line <= 0 || p.pixels_per_line <= 0) {
        error = QStringLiteral("The scanner sent a page without lines");
        return false;
    }
    const int lines = static_cast<int>(data.size() / static_cast<std::size_t>(p.bytes_per_line));
    const int height = p.lines > 0 ? std::min(p.lines, lines) : lines;
    if (height <= 0) {
        error = QStringLiteral("The scanner sent an empty page");
        return false;
    }
    if (m_width == 0) {
        m_width = p.pixels_per_line;
        m_height = height;
        m_separate = separate;
        m_grey.assign(static_cast<std::size_t>(m_width) * m_height, separate ? 0.0f : 255.0f);
    } else if (!separate || !m_separate || p.pixels_per_line != m_width) {
        error = QStringLiteral("The scanner's colour frames do not match");
        return false;
    }
    const int channels = rgb ? 3 : 1;
    const int rows = std::min(height, m_height);
    const float weight = Weight(p.format);
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* line = data.data() + static_cast<std::size_t>(y) * p.bytes_per_line;
        float* out = m_grey.data() + static_cast<std::size_t>(y) * m_width;
        for (int x = 0; x < m_width; ++x) {
            if (rgb) {
                out[x] = 0.299f * Sample(line, p.depth, 3, x, 0) + 0.587f * Sample(line, p.depth, 3, x, 1) +
                         0.114f * Sample(line, p.depth, 3, x, 2);
            } else if (separate) {
                out[x] += weight * Sample(line, p.depth, channels, x, 0);
            } else {
                out[x] = Sample(line, p.depth, channels, x, 0);
            }
        }
    }
    return true;
}

void PageFrames::toPageBitmap(barcode::PageBitmap& out) const {
    out.width = m_width;
    out.height = m_height;
    out.bytesPerRow = barcode::PageBitmap::strideFor(m_width);
    out.bits.assign(static_cast<std::size_t>(out.bytesPerRow) * m_height, 0);
    for (int y = 0; y < m_height; ++y) {
        const float* in = m_grey.data() + static_cast<std::size_t>(y) * m_width;
        std::uint8_t* row = out.row(m_height - 1 - y); // storage starts at the bottom row
        for (int x = 0; x < m_width; ++x) {
            if (in[x] >= 128.0f) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8)); // white
        }
    }
}

} // namespace kestrova::sane
