#include "barcode/RunRow.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kestrova::barcode {
namespace {

using Row = std::vector<std::uint8_t>;

// Narrow 2-3, wide 4-6, double 7-10, quad 11-255: every run length has a letter of its own class.
QVCodabar Reader() {
    QVCodabar r;
    r.NarrowFrom = 2, r.NarrowTo = 3, r.WideFrom = 4, r.WideTo = 6;
    r.DoubleFrom = 7, r.DoubleTo = 10, r.QuadFrom = 11, r.QuadTo = 255;
    return r;
}

struct Runs {
    std::string letters;
    std::int64_t ink = 0;
    int first = -1;
};

// The rule read pixel by pixel (a set bit is white): a run ends at a pixel of the other colour
// once it is two pixels long; a lone pixel of the other colour is counted as the run's colour, so
// it and the run's pixel form a run of two. A byte adds its value to the ink when it is not 0xFF
// and its last pixel continued the run. The last run of the row is not emitted.
Runs ByTheRule(const Row& row) {
    const auto white = [&row](int i) { return ((row[std::size_t(i / 8)] >> (7 - i % 8)) & 1) != 0; };
    const auto letter = [](int length, bool space) {
        const char* classes = space ? "sStT" : "bBcC";
        if (length > 255) return ' ';
        return length >= 11 ? classes[3] : length >= 7 ? classes[2] : length >= 4 ? classes[1] : classes[0];
    };
    Runs runs;
    bool colour = white(0);
    int length = 1;
    for (int i = 1; i < int(row.size()) * 8; ++i) {
        const bool continued = white(i) == colour;
        if (continued) {
            ++length;
        } else if (length >= 2) {
            runs.letters += letter(length, colour);
            if (runs.first < 0) runs.first = length;
            colour = white(i);
            length = 1;
        } else {
            length = 2;
        }
        if (i % 8 == 7 && continued && row[std::size_t(i / 8)] != 0xFF) runs.ink += row[std::size_t(i / 8)];
    }
    return runs;
}

Runs Scanned(const Row& row) {
    QVCodabar reader = Reader();
    reader.LeftMargin = 1 << 20;
    RunRow runRow(reader);
    Runs runs;
    runs.ink = runRow.scan(row.data(), int(row.size()), reader);
    runs.letters = reader.RowRuns;
    if (reader.LeftMargin != 1 << 20) runs.first = reader.LeftMargin;
    EXPECT_EQ(std::string(reader.RowRunsReversed.rbegin(), reader.RowRunsReversed.rend()), reader.RowRuns);
    return runs;
}

// A lone pixel never makes a run of its own: it pairs with the pixel before it, and when the
// pixel after it turns back, the run goes on through it. The pixel that ends the pair starts no
// new colour, so its byte adds no ink.
TEST(RunRow, ALonePixelJoinsTheRunBeforeIt) {
    struct Case {
        Row row;
        const char* letters;
        std::int64_t ink;
    };
    const Case cases[] = {
        {{0xCF}, "sb", 0xCF},           // WWBBWWWW: two plain runs
        {{0xDF}, "sb", 0xDF},           // WWBWWWWW: the lone black pixel and the white after it
        {{0xD3}, "sB", 0xD3},           // WWBWBBWW: the lone white pixel inside a black run
        {{0xFB}, "Sb", 0},              // WWWWWBWW: the pair ends at the byte's last pixel
        {{0xFF, 0xFB, 0x00}, "Tbs", 0}, // the same across bytes, then a black byte
        {{0xAA}, "sb", 0},              // WBWBWBWB: runs of three, each through a lone pixel
    };
    for (const Case& c : cases) {
        const Runs runs = Scanned(c.row);
        EXPECT_EQ(runs.letters, c.letters) << int(c.row.front());
        EXPECT_EQ(runs.ink, c.ink) << int(c.row.front());
        const Runs rule = ByTheRule(c.row);
        EXPECT_EQ(rule.letters, c.letters) << "the rule of this test: " << int(c.row.front());
        EXPECT_EQ(rule.ink, c.ink) << "the rule of this test: " << int(c.row.front());
    }
}

// Rows of short runs, many of them lone pixels, over word and byte edges: the row reader gives
// the letters, ink and first run length of the pixel-by-pixel rule.
TEST(RunRow, RowsOfShortRunsFollowThePixelRule) {
    std::mt19937 random(13);
    for (int n = 0; n < 3000; ++n) {
        Row row(std::size_t(1 + random() % 24));
        int pixel = 0;
        bool white = random() % 2;
        const int bits = int(row.size()) * 8;
        while (pixel < bits) {
            const int length = random() % 4 == 0 ? 1 + int(random() % 300) : 1 + int(random() % 3);
            for (int i = pixel; i < std::min(bits, pixel + length); ++i)
                if (white) row[std::size_t(i / 8)] |= std::uint8_t(0x80 >> (i % 8));
            pixel += length;
            white = !white;
        }
        const Runs scanned = Scanned(row);
        const Runs rule = ByTheRule(row);
        ASSERT_EQ(scanned.letters, rule.letters) << "row " << n;
        ASSERT_EQ(scanned.ink, rule.ink) << "row " << n;
        ASSERT_EQ(scanned.first, rule.first) << "row " << n;
    }
}

} // namespace
} // namespace kestrova::barcode
