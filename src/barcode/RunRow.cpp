#include "barcode/RunRow.h"

#include <algorithm>
#include <bit>
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
    for (int length = 0; length < LongRun; ++length) {
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
        m_letter[LettersPerColour + static_cast<std::size_t>(length)] = space;
    }
    // Runs longer than any byte-sized range are unclassified.
    m_letter[LongRun] = ' ';
    m_letter[LettersPerColour + LongRun] = ' ';
}

namespace {

constexpr std::uint64_t Low7 = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t LowBytes = 0x00FF00FF00FF00FFull;
constexpr std::uint64_t HighBits = 0x8080808080808080ull;

// Pixel i of a word at bit i: the first byte lowest, the bits of each byte reversed (its most
// significant bit is its leftmost pixel).
std::uint64_t ReverseBitsInBytes(std::uint64_t v) {
    v = ((v >> 1) & 0x5555555555555555ull) | ((v & 0x5555555555555555ull) << 1);
    v = ((v >> 2) & 0x3333333333333333ull) | ((v & 0x3333333333333333ull) << 2);
    return ((v >> 4) & 0x0F0F0F0F0F0F0F0Full) | ((v & 0x0F0F0F0F0F0F0F0Full) << 4);
}

// The sum of the bytes of `word` whose bit in `drop` (the high bit of each byte) is clear.
std::uint64_t ByteSumKept(std::uint64_t word, std::uint64_t drop) {
    word &= ~((drop >> 7) * 0xFF);
    const std::uint64_t pairs = (word & LowBytes) + ((word >> 8) & LowBytes); // four 16-bit sums
    return (pairs * 0x0001000100010001ull) >> 48;
}

// One word of a row at a time: the pixels that differ in colour from the pixel before them, and
// the row's ink: every byte other than 0xFF adds its value, unless its last pixel is such a change.
class RowWords {
public:
    RowWords(const std::uint8_t* row, int bytes) : m_row(row), m_bytes(bytes), m_carry(row[0] >> 7) {}

    // The changes of the word that starts at pixel `base` (pixel base + i at bit i), none past the
    // row's end; adds the word's ink. Words are taken in order, each once.
    std::uint64_t changes(int base) {
        const int available = m_bytes - base / 8;
        std::uint64_t raw = 0;
        if (available >= 8) {
            std::memcpy(&raw, m_row + base / 8, 8);
            // A word of one colour that goes on from the pixel before it holds no change and no
            // ink (all white bytes are 0xFF, black ones 0).
            if (raw == (std::uint64_t{0} - m_carry)) return 0;
        } else {
            std::memcpy(&raw, m_row + base / 8, static_cast<std::size_t>(available));
        }
        if constexpr (std::endian::native == std::endian::big) raw = __builtin_bswap64(raw);
        const std::uint64_t pixels = ReverseBitsInBytes(raw);
        std::uint64_t changes = pixels ^ ((pixels << 1) | m_carry);
        if (available < 8) changes &= (std::uint64_t{1} << (available * 8)) - 1;
        m_carry = pixels >> 63;
        // The last pixel of byte k is bit 8k + 7; `white` has the high bit of every 0xFF byte set.
        const std::uint64_t inverse = ~raw;
        const std::uint64_t white = ~(((inverse & Low7) + Low7) | inverse | Low7);
        m_ink += static_cast<std::int64_t>(ByteSumKept(raw, (changes | white) & HighBits));
        return changes;
    }

    // The ink of a byte whose last pixel is `pixel`, 0 when `pixel` is not the last of its byte.
    std::int64_t inkAt(int pixel) const {
        const unsigned byte = m_row[pixel >> 3];
        return byte & (0u - static_cast<unsigned>(((pixel & 7) == 7) & (byte != 0xFF)));
    }
    bool isWhite(int pixel) const { return (m_row[pixel >> 3] >> (7 - (pixel & 7))) & 1; }

    void addInk(std::int64_t ink) { m_ink += ink; }
    std::int64_t ink() const { return m_ink; }

private:
    const std::uint8_t* m_row;
    int m_bytes;
    std::uint64_t m_carry; // the pixel before the next word
    std::int64_t m_ink = 0;
};

} // namespace

std::int64_t RunRow::scan(const std::uint8_t* row, int bytes, QVCodabar& reader) {
    const int bits = bytes * 8;
    // Letters go forward from the start of m_letters and backward from its end at the same time.
    if (m_letters.size() < static_cast<std::size_t>(2 * bits)) m_letters.resize(static_cast<std::size_t>(2 * bits));
    char* const letters = m_letters.data();
    char* const reversedEnd = letters + 2 * bits;
    std::size_t count = 0;
    int firstLength = -1;
    int last = m_last;
    int previous = m_previous;

    // The first pixel only sets the colour of the first run. `colour` is where the run's letters
    // start in the table: 0 for a bar, LettersPerColour for a space.
    std::size_t colour = (row[0] & 0x80) ? LettersPerColour : 0;
    int runStart = 0;
    int base = 0;
    RowWords words(row, bytes);
    std::uint64_t pending = words.changes(0);
    // The next pixel that differs from the one before it, or `bits` when there is none.
    const auto next = [&]() {
        while (pending == 0) {
            base += 64;
            if (base >= bits) return bits;
            pending = words.changes(base);
        }
        const int at = base + std::countr_zero(pending);
        pending &= pending - 1;
        return at;
    };
    for (;;) {
        int change = next();
        if (change >= bits) break; // the last run of the row is not emitted
        if (change - runStart < 2) [[unlikely]] {
            // A lone pixel joins the run before it: the run goes on to the next pixel that is not
            // of its colour, that is the next pixel unless that one changes back.
            const int after = change + 1;
            if (after >= bits) break;
            if (words.isWhite(after) == (colour != 0)) {
                if (after == base + 64) {
                    base += 64;
                    pending = words.changes(base);
                }
                pending &= pending - 1; // the change back at `after` ends no run: its byte keeps its ink
                words.addInk(words.inkAt(after));
                change = next();
                if (change >= bits) break;
            } else {
                change = after; // not a change of colour, yet it ends the run
                words.addInk(-words.inkAt(after));
            }
        }
        const int length = change - runStart;
        const char letter = m_letter[colour + static_cast<std::size_t>(std::min(length, LongRun))];
        letters[count] = letter;
        reversedEnd[-1 - static_cast<std::ptrdiff_t>(count)] = letter;
        ++count;
        if (firstLength < 0) firstLength = length;
        previous = last;
        last = length;
        colour ^= LettersPerColour;
        runStart = change;
    }
    // Words after the last change still count their ink.
    for (base += 64; base < bits; base += 64) words.changes(base);

    if (firstLength >= 0 && firstLength < reader.LeftMargin) reader.LeftMargin = firstLength;
    m_last = last;
    m_previous = previous;
    reader.RowRuns.assign(letters, count);
    reader.RowRunsReversed.assign(reversedEnd - count, count);
    return words.ink();
}

} // namespace kestrova::barcode
