#include "platform/sane/SaneFrames.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kestrova::sane {

namespace {

constexpr float WHITE_FROM = 128.0f;
constexpr float STEPS = 256.0f; // three-pass sums are kept in 1/256 of a grey level

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

bool IsSeparate(SANE_Frame frame) {
    return frame == SANE_FRAME_RED || frame == SANE_FRAME_GREEN || frame == SANE_FRAME_BLUE;
}

std::int64_t Megabytes(std::int64_t bytes) {
    return (bytes + (std::int64_t{1} << 20) - 1) >> 20;
}

} // namespace

PageFrames::PageFrames(std::int64_t maxBytes) : m_maxBytes(maxBytes) {}

std::int64_t PageFrames::pageBytes(std::int64_t lines) const {
    const std::int64_t data = std::int64_t{m_params.bytes_per_line} * lines;
    if (!m_separate) return data; // the 1-bit page held is never larger than the data
    return std::max(3 * data, 2 * std::int64_t{m_params.pixels_per_line} * lines);
}

QString PageFrames::tooLarge(std::int64_t lines, bool known) const {
    if (known) {
        return QStringLiteral("The scanner's page is too large to take: %1 x %2 pixels would take %3 MB of memory, "
                              "more than the %4 MB allowed for a page")
            .arg(m_params.pixels_per_line)
            .arg(lines)
            .arg(Megabytes(pageBytes(lines)))
            .arg(Megabytes(m_maxBytes));
    }
    return QStringLiteral("The scanner's page is too large to take: %1 x %2 pixels and more would take more than "
                          "the %3 MB of memory allowed for a page")
        .arg(m_params.pixels_per_line)
        .arg(lines)
        .arg(Megabytes(m_maxBytes));
}

bool PageFrames::beginFrame(const SANE_Parameters& p, QString& error) {
    if (p.depth != 1 && p.depth != 8 && p.depth != 16) {
        error = QStringLiteral("The scanner sends %1 bits per sample, which cannot be read").arg(p.depth);
        return false;
    }
    const bool rgb = p.format == SANE_FRAME_RGB;
    const bool separate = IsSeparate(p.format);
    if (!rgb && !separate && p.format != SANE_FRAME_GRAY) {
        error = QStringLiteral("The scanner sends its pages in a format that cannot be read");
        return false;
    }
    if (p.bytes_per_line <= 0 || p.pixels_per_line <= 0) {
        error = QStringLiteral("The scanner sent a page without lines");
        return false;
    }
    if (std::int64_t{p.pixels_per_line} * (rgb ? 3 : 1) * p.depth > std::int64_t{p.bytes_per_line} * 8) {
        error = QStringLiteral("The scanner sends lines too short for their pixels");
        return false;
    }
    if (m_width != 0 && (!separate || !m_separate || p.pixels_per_line != m_width)) {
        error = QStringLiteral("The scanner's colour frames do not match");
        return false;
    }
    m_params = p;
    m_partial.clear();
    m_frameLines = 0;
    if (m_width == 0) {
        m_width = p.pixels_per_line;
        m_separate = separate;
    }
    // Not even one line when the length is not known: the line itself would pass the limit.
    const int declared = std::max(p.lines, 1);
    if (pageBytes(declared) > m_maxBytes) {
        error = tooLarge(declared, p.lines > 0);
        return false;
    }
    if (p.lines > 0 && m_height == 0) {
        if (m_separate) {
            m_sum.reserve(std::size_t(m_width) * std::size_t(p.lines));
        } else {
            m_bits.reserve(std::size_t(barcode::PageBitmap::strideFor(m_width)) * std::size_t(p.lines));
        }
    }
    return true;
}

bool PageFrames::addData(const std::uint8_t* data, std::size_t length, QString& error) {
    const auto lineBytes = std::size_t(m_params.bytes_per_line);
    while (length > 0) {
        const std::uint8_t* line = data;
        if (m_partial.empty() && length >= lineBytes) {
            data += lineBytes;
            length -= lineBytes;
        } else {
            const std::size_t take = std::min(length, lineBytes - m_partial.size());
            m_partial.insert(m_partial.end(), data, data + take);
            data += take;
            length -= take;
            if (m_partial.size() < lineBytes) continue;
            line = m_partial.data();
        }
        if (pageBytes(m_frameLines + 1) > m_maxBytes) {
            error = tooLarge(m_frameLines + 1, false);
            return false;
        }
        takeLine(line);
        ++m_frameLines;
        m_partial.clear();
    }
    return true;
}

void PageFrames::takeLine(const std::uint8_t* line) {
    const int depth = m_params.depth;
    if (!m_separate) {
        const bool rgb = m_params.format == SANE_FRAME_RGB;
        const std::size_t at = m_bits.size();
        m_bits.resize(at + std::size_t(barcode::PageBitmap::strideFor(m_width)), 0);
        std::uint8_t* row = m_bits.data() + at;
        for (int x = 0; x < m_width; ++x) {
            const float grey = rgb ? 0.299f * Sample(line, depth, 3, x, 0) + 0.587f * Sample(line, depth, 3, x, 1) +
                                         0.114f * Sample(line, depth, 3, x, 2)
                                   : Sample(line, depth, 1, x, 0);
            if (grey >= WHITE_FROM) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
        return;
    }
    if (m_height == 0) {
        m_sum.resize(m_sum.size() + std::size_t(m_width), 0); // the first frame makes the rows
    } else if (m_frameLines >= m_height) {
        return; // a later frame longer than the first
    }
    std::uint16_t* out = m_sum.data() + std::size_t(m_frameLines) * std::size_t(m_width);
    const float weight = Weight(m_params.format);
    for (int x = 0; x < m_width; ++x) {
        out[x] = static_cast<std::uint16_t>(out[x] + std::lround(weight * Sample(line, depth, 1, x, 0) * STEPS));
    }
}

bool PageFrames::endFrame(int lines, QString& error) {
    m_partial.clear(); // a line cut short is no line
    const int height = lines > 0 ? std::min(lines, m_frameLines) : m_frameLines;
    if (height <= 0) {
        error = QStringLiteral("The scanner sent an empty page");
        return false;
    }
    if (m_height == 0) {
        m_height = height;
        if (m_separate) {
            m_sum.resize(std::size_t(m_width) * std::size_t(height));
        } else {
            m_bits.resize(std::size_t(barcode::PageBitmap::strideFor(m_width)) * std::size_t(height));
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
        std::uint8_t* row = out.row(m_height - 1 - y); // storage starts at the bottom row
        if (!m_separate) {
            std::memcpy(row, m_bits.data() + std::size_t(y) * std::size_t(out.bytesPerRow),
                        std::size_t(out.bytesPerRow));
            continue;
        }
        const std::uint16_t* in = m_sum.data() + std::size_t(y) * std::size_t(m_width);
        for (int x = 0; x < m_width; ++x) {
            if (in[x] >= WHITE_FROM * STEPS) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8)); // white
        }
    }
}

} // namespace kestrova::sane
