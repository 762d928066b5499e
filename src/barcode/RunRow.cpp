#include "barcode/RunRow.h"

#include <algorithm>
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
        m_letter[static_cast<std::size_t>(length)] = bar;
        m_letter[257 + static_cast<std::size_t>(length)] = space;
    }
    // Runs longer than any byte-sized range are unclassified.
    m_letter[256] = ' ';
    m_letter[257 + 256] = ' ';
}

namespace {

std::uint64_t LoadBigEndian(const std::uint8_t* bytes, int available) {
    std::uint64_t word = 0;
    if (available >= 8) {
        std::memcpy(&word, bytes, 8);
    } else {
        std::uint8_t tail[8] = {};
        std::memcpy(tail, bytes, static_cast<std::size_t>(available));
        std::memcpy(&word, tail, 8);
    }
    return __builtin_bswap64(word);
}

// Sum of the bytes other than 0xFF.
std::int64_t ByteSum(const std::uint8_t* row, int bytes) {
    std::int64_t sum = 0;
    int i = 0;
    for (; i + 8 <= bytes; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, row + i, 8);
        if (word == ~std::uint64_t{0}) continue;
        for (int k = 0; k < 8; ++k) sum += row[i + k] == 0xFF ? 0 : row[i + k];
    }
    for (; i < bytes; ++i) sum += row[i] == 0xFF ? 0 : row[i];
    return sum;
}

} // namespace

std::int64_t RunRow::scan(const std::uint8_t* row, int bytes, QVCodabar& reader) {
    // Every byte other than 0xFF adds its value, unless its last pixel changed the colour.
    std::int64_t ink = ByteSum(row, bytes);

    const int bits = bytes * 8;
    if (m_letters.size() < static_cast<std::size_t>(bits)) m_letters.resize(static_cast<std::size_t>(bits));
    char* letters = m_letters.data();
    std::size_t count = 0;
    int firstLength = -1;
    int last = m_last;
    int previous = m_previous;

    // The first pixel only sets the colour; `flip` turns the run's colour into clear bits.
    std::uint64_t flip = (row[0] & 0x80) ? ~std::uint64_t{0} : 0;
    int runStart = 0;
    int pos = 1;
    int wordBase = -64;
    int wordBits = 0;
    std::uint64_t word = 0;
    for (;;) {
        // The next pixel whose colour is not the run's.
        int change = bits;
        while (pos < bits) {
            const int base = pos & ~63;
            if (base != wordBase) {
                wordBase = base;
                wordBits = std::min(64, bits - base);
                word = LoadBigEndian(row + base / 8, wordBits / 8);
            }
            const int skip = pos - base;
            const std::uint64_t differs = (word ^ flip) << skip;
            if (differs != 0) {
                const int offset = __builtin_clzll(differs);
                if (offset < wordBits - skip) {
                    change = pos + offset;
                    break;
                }
            }
            pos = base + 64;
        }
        if (change >= bits) break; // the last run of the row is not emitted
        if ((change & 7) == 7 && row[change >> 3] != 0xFF) ink -= row[change >> 3];
        const int length = change - runStart;
        if (length >= 2) {
            letters[count++] = m_letter[(flip & 1) * 257 + static_cast<std::size_t>(std::min(length, 256))];
            if (firstLength < 0) firstLength = length;
            previous = last;
            last = length;
            flip = ~flip;
            runStart = change;
        } // else a lone pixel joins the run before it
        pos = change + 1;
    }

    if (firstLength >= 0 && firstLength < reader.LeftMargin) reader.LeftMargin = firstLength;
    m_last = last;
    m_previous = previous;
    reader.RowRuns.assign(letters, count);
    reader.RowRunsReversed.resize(count);
    std::reverse_copy(letters, letters + count, reader.RowRunsReversed.begin());
    return ink;
}

} // namespace kestrova::barcode
