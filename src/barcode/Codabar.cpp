#include "barcode/Codabar.h"

#include <cstring>
#include <string>
#include <string_view>

namespace kestrova::barcode {

namespace {

struct CodabarChar {
    char ch;
    std::string_view pattern;
};

// Narrow and wide elements, bar first; the order in which the characters are tried.
constexpr std::array<CodabarChar, 20> CODABAR{{
    {'0', "bsbsbSB"}, {'1', "bsbsBSb"}, {'2', "bsbSbsB"}, {'3', "BSbsbsb"}, {'4', "bsBsbSb"},
    {'5', "BsbsbSb"}, {'6', "bSbsbsB"}, {'7', "bSbsBsb"}, {'8', "bSBsbsb"}, {'9', "BsbSbsb"},
    {'-', "bsbSBsb"}, {'$', "bsBSbsb"}, {':', "BsbsBsB"}, {'/', "BsBsbsB"}, {'.', "BsBsBsb"},
    {'+', "bsBsBsB"}, {'A', "bsBSbSb"}, {'B', "bSbSbsB"}, {'C', "bsbSbSB"}, {'D', "bsbSBSb"},
}};
static_assert(CODABAR.size() == 20);

constexpr std::size_t StartIndex = 16; // A, B, C, D follow the data characters
constexpr std::size_t Group = 8;       // seven elements and the gap
constexpr std::array<std::uint32_t, 4> START_FLAGS{FlagCodabarStartA, FlagCodabarStartB, FlagCodabarStartC,
                                                   FlagCodabarStartD};

bool IsStartStop(char c) {
    return c >= 'A' && c <= 'D';
}

bool IsPunctuation(char c) {
    return std::string_view("$+-./:").find(c) != std::string_view::npos;
}

} // namespace

void Codabar::beginRow() {
    m_searched = {};
}

constexpr bool OneWideBarInEachStart() {
    for (std::size_t k = StartIndex; k < CODABAR.size(); ++k) {
        int wide = 0;
        for (char c : CODABAR[k].pattern) wide += c == 'B' ? 1 : 0;
        if (wide != 1) return false;
    }
    return true;
}
// findStarts looks only at the letters around a wide bar.
static_assert(OneWideBarInEachStart());

// One pass over the forward letters finds where each enabled start character first occurs in
// both lanes: an occurrence in the reversed letters is the reversed pattern in the forward ones.
// Every start character has one wide bar, so only the windows that put a 'B' where the pattern
// has it are compared.
// The start characters as 7-letter words, either way round, and where their wide bar stands.
struct StartWords {
    std::array<std::uint64_t, 4> forward{};
    std::array<std::uint64_t, 4> backward{};
    std::array<std::size_t, 4> forwardBar{};
    std::array<std::size_t, 4> backwardBar{};
};

const StartWords& Starts() {
    static const StartWords words = [] {
        StartWords w;
        for (std::size_t k = 0; k < 4; ++k) {
            const std::string_view pattern = CODABAR[StartIndex + k].pattern;
            const std::string reversed(pattern.rbegin(), pattern.rend());
            std::memcpy(&w.forward[k], pattern.data(), 7);
            std::memcpy(&w.backward[k], reversed.data(), 7);
            w.forwardBar[k] = pattern.find('B');
            w.backwardBar[k] = reversed.find('B');
        }
        return w;
    }();
    return words;
}

void Codabar::findStarts(std::string_view fwd, std::uint32_t flags) {
    constexpr std::size_t Npos = std::string_view::npos;
    const StartWords& starts = Starts();
    const std::array<std::uint64_t, 4>& forward = starts.forward;
    const std::array<std::uint64_t, 4>& backward = starts.backward;
    std::array<bool, 7> anchorAt{}; // offsets of the wide bar in the enabled patterns
    for (std::size_t k = 0; k < 4; ++k) {
        m_found[k] = {Npos, Npos};
        if (flags & START_FLAGS[k]) {
            anchorAt[starts.forwardBar[k]] = true;
            anchorAt[starts.backwardBar[k]] = true;
        }
    }
    std::array<std::size_t, 4> lastBackward{Npos, Npos, Npos, Npos};
    const std::uint64_t mask = (std::uint64_t{1} << 56) - 1;
    const std::size_t n = fwd.size();
    const char* letters = fwd.data();
    const char* end = letters + n;
    for (const char* b = n >= 7 ? static_cast<const char*>(std::memchr(letters, 'B', n)) : nullptr; b;
         b = static_cast<const char*>(std::memchr(b + 1, 'B', static_cast<std::size_t>(end - b - 1)))) {
        const std::size_t at = static_cast<std::size_t>(b - letters);
        for (std::size_t offset = 0; offset < 7; ++offset) {
            if (!anchorAt[offset] || at < offset || at - offset + 7 > n) continue;
            const std::size_t i = at - offset;
            std::uint64_t window = 0;
            std::memcpy(&window, letters + i, i + 8 <= n ? 8 : 7);
            window &= mask;
            for (std::size_t k = 0; k < 4; ++k) {
                if (!(flags & START_FLAGS[k])) continue;
                if (window == forward[k] && i < m_found[k][0]) m_found[k][0] = i;
                if (window == backward[k] && (lastBackward[k] == Npos || i > lastBackward[k])) lastBackward[k] = i;
            }
        }
    }
    for (std::size_t k = 0; k < 4; ++k)
        if (lastBackward[k] != Npos) m_found[k][1] = n - 7 - lastBackward[k];
    for (auto& searched : m_searched) searched = {true, true};
}

std::optional<Candidate> Codabar::startSearch(Lane& fwd, Lane& rev, QVCodabar& reader) {
    reader.Reversed = false;
    if (!m_searched[0][0]) findStarts(fwd.text, reader.ActiveFlags);
    // Enough letters for the start character, the data, a check digit when it is in use, and
    // the stop character.
    const std::size_t groups = reader.DigitsTo + 2u + ((reader.ActiveFlags & FlagCodabarCheckDigit) ? 1u : 0u);
    for (std::size_t k = 0; k < 4; ++k) {
        if (!(reader.ActiveFlags & START_FLAGS[k])) continue;
        const std::string_view pattern = CODABAR[StartIndex + k].pattern;
        for (int dir = 0; dir < 2; ++dir) {
            Lane& lane = dir == 0 ? fwd : rev;
            if (lane.empty()) continue;
            std::size_t& found = m_found[k][dir];
            if (found != std::string_view::npos && found < lane.start)
                found = FindLetters(lane.text, pattern, lane.start);
            if (found == std::string_view::npos) continue;
            Candidate c{Prefix(lane.text.substr(found), Group * groups)};
            lane.keepFrom(found + Group);
            reader.Reversed = dir == 1;
            return c;
        }
    }
    fwd.clear();
    rev.clear();
    return std::nullopt;
}

std::optional<std::string_view> Codabar::stopSearch(const Candidate& c, const QVCodabar& reader) const {
    for (std::size_t k = 0; k < 4; ++k) {
        if (!(reader.ActiveFlags & START_FLAGS[k])) continue;
        const std::size_t p =
            c.letters.size() > 6 ? FindLetters(c.letters, CODABAR[StartIndex + k].pattern, 6) : std::string_view::npos;
        // Through the stop character, its gap and two letters more.
        if (p != std::string_view::npos) return Prefix(c.letters, p + 10);
    }
    return std::nullopt;
}

std::optional<Decoded> Codabar::decode(std::string_view text, const Candidate&) const {
    Decoded d;
    for (std::size_t at = 0; at < text.size(); at += Group) {
        const std::string_view group = text.substr(at, Group);
        char found = 0;
        for (const auto& entry : CODABAR) {
            if (Contains(group, entry.pattern)) {
                found = entry.ch;
                break;
            }
        }
        if (!found) return std::nullopt;
        const bool ends = IsStartStop(found) && d.text.size() >= 2;
        d.text += found;
        if (ends) {
            d.consumed = at + group.size();
            return d;
        }
    }
    return std::nullopt;
}

bool Codabar::validate(const std::string& v, const QVCodabar& reader) const {
    const std::size_t len = v.size();
    int letters = 0;
    for (char c : v) {
        if ((reader.ActiveFlags & FlagPunctuationNotValid) && IsPunctuation(c)) return false;
        if (IsStartStop(c)) ++letters;
    }
    if (letters > 2 || len < 2) return false;
    std::size_t n = len - 2;
    if (reader.ActiveFlags & FlagCodabarCheckDigit) {
        if (len < 3) return false;
        int sum = 0;
        for (std::size_t pos = 2; pos + 2 <= len; ++pos) { // positions 2 .. L-2, counted from 1
            int value = static_cast<unsigned char>(v[pos - 1]) - 48;
            if (pos % 2 == 0) {
                value *= 2;
                if (value >= 10) value -= 9;
            }
            sum += value;
        }
        if (v[len - 2] != static_cast<char>('0' + (10 - sum % 10) % 10)) return false;
        n = len - 3;
    }
    if (v.front() != v.back()) return false;
    return CountAndExtraAccept(n, v, reader);
}

std::string Codabar::postProcess(std::string v, const QVCodabar& reader) const {
    if ((reader.ActiveFlags & FlagCodabarCheckDigit) && v.size() >= 2) v.erase(v.size() - 2, 1);
    return Symbology::postProcess(std::move(v), reader);
}

} // namespace kestrova::barcode
