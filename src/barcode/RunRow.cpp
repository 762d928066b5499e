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

constexpr std::uint64_t Ones = ~std::uint64_t{0};
constexpr std::uint64_t Low7 = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t LowBytes = 0x00FF00FF00FF00FFull;

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

// Sum of the eight bytes of `word` other than 0xFF, without a branch per byte: the sum of all
// bytes less 255 for every byte that is 0xFF.
std::int64_t WordInk(std::uint64_t word) {
    const std::uint64_t pairs = (word & LowBytes) + ((word >> 8) & LowBytes); // four 16-bit sums
    const std::uint64_t sum = (pairs * 0x0001000100010001ull) >> 48;
    const std::uint64_t inverse = ~word;                                      // 0xFF bytes become zero bytes
    const std::uint64_t zero = ~(((inverse & Low7) + Low7) | inverse | Low7); // high bit of each zero byte
    const std::uint64_t full = ((zero >> 7) * 0x0101010101010101ull) >> 56;
    return static_cast<std::int64_t>(sum) - 255 * static_cast<std::int64_t>(full);
}

// Sum of the bytes other than 0xFF.
std::int64_t ByteSum(const std::uint8_t* row, int bytes) {
    std::int64_t sum = 0;
    int i = 0;
    for (; i + 8 <= bytes; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, row + i, 8);
        sum += WordInk(word);
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

    // The first pixel only sets the colour; `flip` turns the run's colour into clear bits, and
    // `pending` holds the bits of the current word after the last change looked at that differ
    // from the run's colour (bits past the row's end cleared).
    std::uint64_t flip = (row[0] & 0x80) ? Ones : 0;
    const char* letter = m_letter.data() + (flip & 257);
    int runStart = 0;
    int base = 0;
    const auto validBits = [bits](int wordBase) {
        const int n = bits - wordBase;
        return n >= 64 ? Ones : ~(Ones >> n);
    };
    std::uint64_t word = LoadBigEndian(row, std::min(8, bytes));
    std::uint64_t valid = validBits(0);
    std::uint64_t pending = (word ^ flip) & valid & (Ones >> 1);
    for (;;) {
        // The next pixel whose colour is not the run's.
        while (pending == 0) {
            base += 64;
            if (base >= bits) break;
            word = LoadBigEndian(row + base / 8, std::min(8, bytes - base / 8));
            valid = validBits(base);
            pending = (word ^ flip) & valid;
        }
        if (pending == 0) break; // the last run of the row is not emitted
        const int offset = __builtin_clzll(pending);
        const int change = base + offset;
        const unsigned byte = row[change >> 3];
        ink -= static_cast<std::int64_t>(byte & (0u - static_cast<unsigned>(((change & 7) == 7) & (byte != 0xFF))));
        // Bits of the word after the change.
        const std::uint64_t after = (Ones >> offset) >> 1;
        const int length = change - runStart;
        if (length >= 2) {
            letters[count++] = letter[std::min(length, 256)];
            if (firstLength < 0) firstLength = length;
            previous = last;
            last = length;
            flip = ~flip;
            letter = m_letter.data() + (flip & 257);
            runStart = change;
        } // else a lone pixel joins the run before it
        pending = (word ^ flip) & valid & after;
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
