#pragma once

#include "barcode/QVCodabar.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kestrova::barcode {

// Turns pixel rows into run letters: one letter per run of two or more equal pixels, telling
// bar or space and its width class, and measures the row's ink.
class RunRow {
public:
    explicit RunRow(const QVCodabar& reader);

    // Walks `bytes` bytes of a stored row into reader.RowRuns and reader.RowRunsReversed, lowers
    // reader.LeftMargin by the first emitted run; returns the row's ink sum.
    std::int64_t scan(const std::uint8_t* row, int bytes, QVCodabar& reader);

    int lastLength() const { return m_last; }
    int previousLength() const { return m_previous; }

private:
    // Letter by run length (0-255, 256 for anything longer): bars first, then spaces.
    std::array<char, 2 * 257> m_letter{};
    std::vector<char> m_letters; // the row's letters from the front, reversed from the back
    int m_last;
    int m_previous;
};

} // namespace kestrova::barcode
