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

    // Run lengths from LongRun up share one letter (a blank): the width ranges are byte-sized.
    static constexpr int LongRun = 256;
    // Letters per colour in the letter table: one per run length 0..LongRun. The spaces' letters
    // follow the bars', so this is also where the spaces start.
    static constexpr std::size_t LettersPerColour = LongRun + 1;

private:
    // Letter by run length (0..LongRun): bars first, then spaces from LettersPerColour on.
    std::array<char, 2 * LettersPerColour> m_letter{};
    std::vector<char> m_letters; // the row's letters from the front, reversed from the back
    int m_last;
    int m_previous;
};

} // namespace kestrova::barcode
