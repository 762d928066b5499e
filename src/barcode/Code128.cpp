#include "barcode/Code128.h"

#include <array>
#include <vector>

namespace kestrova::barcode {

namespace {

constexpr int StartA = 103;
constexpr int StartB = 104;
constexpr int StartC = 105;
constexpr int Stop = 106;
constexpr std::size_t Group = 6;

// Adds what `value` means in `set` to `text`; may change the set or shift the next symbol.
void Apply(int value, char set, char& nextSet, bool& shift, std::string& text) {
    if (set == 'C') {
        if (value < 100) {
            text += static_cast<char>('0' + value / 10);
            text += static_cast<char>('0' + value % 10);
        } else if (value == 100) {
            nextSet = 'B';
        } else if (value == 101) {
            nextSet = 'A';
        } else {
            text += "FNC 1";
        }
        return;
    }
    if (value < 64) {
        text += static_cast<char>(value + 32);
    } else if (value < 96) {
        if (set == 'A')
            text += static_cast<char>(value - 64);
        else if (value == 95)
            text += "DEL";
        else
            text += static_cast<char>(value + 32);
    } else if (value == 96) {
        text += "FNC 3";
    } else if (value == 97) {
        text += "FNC 2";
    } else if (value == 98) {
        shift = true;
    } else if (value == 99) {
        nextSet = 'C';
    } else if (value == 100) {
        if (set == 'A') nextSet = 'B'; // in set B: FNC 4, ignored
    } else if (value == 101) {
        if (set == 'B') nextSet = 'A'; // in set A: FNC 4, ignored
    } else {
        text += "FNC 1";
    }
}

} // namespace

std::optional<Candidate> Code128::startSearch(Lane& fwd, Lane& rev, QVCodabar& reader) {
    reader.Reversed = false;
    for (int dir = 0; dir < 2; ++dir) {
        Lane& lane = dir == 0 ? fwd : rev;
        if (lane.empty()) continue;
        for (int start : {StartA, StartB, StartC}) {
            const std::size_t p = FindLetters(lane.text, Code128Pattern(start), lane.start);
            if (p == std::string_view::npos) continue;
            Candidate c{lane.text.substr(p + Group), static_cast<char>('A' + (start - StartA))};
            if (dir == 0) {
                fwd.clear();
            } else {
                fwd.clear();
                rev.clear();
                reader.Reversed = true;
            }
            return c;
        }
    }
    fwd.clear();
    rev.clear();
    return std::nullopt;
}

std::optional<std::string_view> Code128::stopSearch(const Candidate& c, const QVCodabar&) const {
    // The stop can only stand where a symbol starts: its letters also occur across the border
    // of some pairs of symbols (the digit pairs 03 and 54, for one).
    const std::string_view stop = Code128Pattern(Stop);
    for (std::size_t p = 0; p < c.letters.size(); p += Group)
        if (c.letters.substr(p, Group) == stop) return Prefix(c.letters, p + Group + 1);
    return std::nullopt;
}

std::optional<Decoded> Code128::decode(std::string_view text, const Candidate& c) const {
    if (c.set < 'A' || c.set > 'C') return std::nullopt;
    std::vector<int> values;
    std::size_t at = 0;
    for (;; at += Group) {
        if (at >= text.size()) return std::nullopt;
        const int value = Code128Value(text.substr(at, Group));
        if (value < 0 || (value >= StartA && value <= StartC)) return std::nullopt;
        if (value == Stop) break;
        values.push_back(value);
    }
    if (values.empty()) return std::nullopt;
    int sum = StartA + (c.set - 'A');
    for (std::size_t i = 0; i + 1 < values.size(); ++i) sum += static_cast<int>(i + 1) * values[i];
    if (sum % 103 != values.back()) return std::nullopt;

    Decoded d;
    char set = c.set;
    bool shifted = false;
    for (std::size_t i = 0; i + 1 < values.size(); ++i) {
        char nextSet = set;
        bool shift = false;
        const char readIn = shifted ? (set == 'A' ? 'B' : 'A') : set;
        Apply(values[i], readIn, nextSet, shift, d.text);
        set = nextSet;
        shifted = shift;
    }
    d.consumed = at + Group;
    return d;
}

bool Code128::validate(const std::string& v, const QVCodabar& reader) const {
    return CountAndExtraAccept(v.size(), v, reader);
}

} // namespace kestrova::barcode
