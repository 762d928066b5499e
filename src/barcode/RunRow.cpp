#include "barcode/RunRow.h"

#include <cstring>

namespace kestrova::barcode {

RunRow::RunRow(const QVCodabar& reader) : m_last(0), m_previous(0) {
    struct Range {
        std::uint8_t from, to;
        char bar, space;
    };
    const Range ranges[] = {{reader.NarrowFrom, reader.NarrowTo, 'b', 's'},
                            {reader.WideFrom, reader.WideTo, 'B', 'S'},
                            {reader.DoubleFrom, reader.DoubleTo, 'c', 't'},
                            {reader.QuadFrom, reader.QuadTo, 'C', 'T'}};
    for (int length = 0; length < 256; ++length) {
        char bar = ' ';
        char space = ' ';
        for (const Range& r : ranges) {
            if (length >= r.from && length <= r.to) {
                bar = r.bar;
                space = r.space;
                break;
            }
        }
        m_barLetter[static_cast<std::size_t>(length)] = bar;
        m_spaceLetter[static_cast<std::size_t>(length)] = space;
    }
}

void RunRow::emit(bool white, int length, QVCodabar& reader, bool& first) {
    // Runs longer than any byte-sized range are unclassified.
    const char letter = length < 256 ? (white ? m_spaceLetter : m_barLetter)[static_cast<std::size_t>(length)] : ' ';
    reader.RowRuns += letter;
    if (first) {
        if (length < reader.LeftMargin) reader.LeftMargin = length;
        first = false;
    }
    m_previous = m_last;
    m_last = length;
}

std::int64_t RunRow::scan(const std::uint8_t* row, int bytes, QVCodabar& reader) {
    reader.RowRuns.clear();
    std::int64_t ink = 0;
    bool first = true;
    bool white = (row[0] & 0x80) != 0;
    int run = 1;
    int bit = 6; // the first pixel only sets the colour
    for (int i = 0; i < bytes; ++i) {
        const std::uint8_t b = row[i];
        // Whole bytes of the run's colour: the run grows by eight and the ink sum by the byte's
        // value (nothing for 0x00, and 0xFF never counts).
        if (bit == 7 && b == (white ? 0xFF : 0x00)) {
            if (white) {
                // Blank paper: skip eight bytes at a time.
                while (i + 8 < bytes) {
                    std::uint64_t word;
                    std::memcpy(&word, row + i + 1, sizeof word);
                    if (word != ~std::uint64_t{0}) break;
                    run += 64;
                    i += 8;
                }
            }
            run += 8;
            continue;
        }
        bool continued = false;
        for (; bit >= 0; --bit) {
            const bool pixelWhite = ((b >> bit) & 1) != 0;
            continued = pixelWhite == white;
            if (continued) {
                ++run;
            } else if (run >= 2) {
                emit(white, run, reader, first);
                white = pixelWhite;
                run = 1;
            } else {
                run = 2; // a lone pixel joins the run before it
            }
        }
        bit = 7;
        if (b != 0xFF && continued) ink += b;
    }
    reader.RowRunsReversed.assign(reader.RowRuns.rbegin(), reader.RowRuns.rend());
    return ink;
}

} // namespace kestrova::barcode
