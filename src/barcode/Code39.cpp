#include "barcode/Code39.h"

#include <array>

namespace kestrova::barcode {

namespace {

struct Code39Char {
    char ch;
    std::string_view pattern;
};

// Nine elements each, three of them wide; held in the order of their check values.
constexpr std::array<Code39Char, 44> CODE39{{
    {'0', "bsbSBsBsb"}, {'1', "BsbSbsbsB"}, {'2', "bsBSbsbsB"}, {'3', "BsBSbsbsb"}, {'4', "bsbSBsbsB"},
    {'5', "BsbSBsbsb"}, {'6', "bsBSBsbsb"}, {'7', "bsbSbsBsB"}, {'8', "BsbSbsBsb"}, {'9', "bsBSbsBsb"},
    {'A', "BsbsbSbsB"}, {'B', "bsBsbSbsB"}, {'C', "BsBsbSbsb"}, {'D', "bsbsBSbsB"}, {'E', "BsbsBSbsb"},
    {'F', "bsBsBSbsb"}, {'G', "bsbsbSBsB"}, {'H', "BsbsbSBsb"}, {'I', "bsBsbSBsb"}, {'J', "bsbsBSBsb"},
    {'K', "BsbsbsbSB"}, {'L', "bsBsbsbSB"}, {'M', "BsBsbsbSb"}, {'N', "bsbsBsbSB"}, {'O', "BsbsBsbSb"},
    {'P', "bsBsBsbSb"}, {'Q', "bsbsbsBSB"}, {'R', "BsbsbsBSb"}, {'S', "bsBsbsBSb"}, {'T', "bsbsBsBSb"},
    {'U', "BSbsbsbsB"}, {'V', "bSBsbsbsB"}, {'W', "BSBsbsbsb"}, {'X', "bSbsBsbsB"}, {'Y', "BSbsBsbsb"},
    {'Z', "bSBsBsbsb"}, {'-', "bSbsbsBsB"}, {'.', "BSbsbsBsb"}, {' ', "bSBsbsBsb"}, {'$', "bSbSbSbsb"},
    {'/', "bSbSbsbSb"}, {'+', "bSbsbSbSb"}, {'%', "bsbSbSbSb"}, {'*', "bSbsBsBsb"},
}};
static_assert(CODE39.size() == 44);

constexpr std::string_view STAR = "bSbsBsBsb";
static_assert(CODE39.back().pattern == STAR);
constexpr std::size_t Group = 10; // nine elements and the gap

bool IsPunctuation(char c) {
    return std::string_view("$+-./").find(c) != std::string_view::npos;
}

} // namespace

int Code39CheckValue(char c) {
    for (std::size_t i = 0; i + 1 < CODE39.size(); ++i)
        if (CODE39[i].ch == c) return static_cast<int>(i);
    return -1;
}

std::optional<Candidate> Code39::startSearch(Lane& fwd, Lane& rev, QVCodabar& reader) {
    reader.Reversed = false;
    // The data, a check character when it is in use, and the stop character.
    const std::size_t groups = reader.DigitsTo + 1u + ((reader.ActiveFlags & FlagCode39CheckDigit) ? 1u : 0u);
    for (int dir = 0; dir < 2; ++dir) {
        Lane& lane = dir == 0 ? fwd : rev;
        if (lane.empty()) continue;
        const std::size_t p = FindLetters(lane.text, STAR, lane.start);
        if (p == std::string_view::npos) {
            lane.clear();
            continue;
        }
        lane.keepFrom(p + Group);
        reader.Reversed = dir == 1;
        const std::string_view after = p + Group < lane.text.size() ? lane.text.substr(p + Group) : std::string_view{};
        return Candidate{CutAfterBlank(Prefix(after, Group * groups))};
    }
    return std::nullopt;
}

std::optional<std::string_view> Code39::stopSearch(const Candidate& c, const QVCodabar&) const {
    // The stop character can only stand where a character starts: the same letters also occur
    // across the gap between some pairs of characters (7 and 4, for one).
    for (std::size_t p = 0; p < c.letters.size(); p += Group)
        if (c.letters.substr(p, STAR.size()) == STAR) return CutAfterBlank(Prefix(c.letters, p + Group + 1));
    return std::nullopt;
}

std::optional<Decoded> Code39::decode(std::string_view text, const Candidate&) const {
    Decoded d;
    for (std::size_t at = 0; at < text.size(); at += Group) {
        const std::string_view group = text.substr(at, Group);
        const Code39Char* found = nullptr;
        for (const auto& entry : CODE39) {
            if (Contains(group, entry.pattern)) {
                found = &entry;
                break;
            }
        }
        if (!found) return std::nullopt;
        if (found->ch == '*') {
            d.consumed = at + group.size();
            return d;
        }
        d.text += found->ch;
    }
    return std::nullopt;
}

bool Code39::validate(const std::string& v, const QVCodabar& reader) const {
    if (reader.ActiveFlags & FlagPunctuationNotValid)
        for (char c : v)
            if (IsPunctuation(c)) return false;
    std::size_t n = v.size();
    if (reader.ActiveFlags & FlagCode39CheckDigit) {
        if (v.size() < 2) return false;
        int sum = 0;
        for (std::size_t i = 0; i + 1 < v.size(); ++i) sum += Code39CheckValue(v[i]);
        if (Code39CheckValue(v.back()) != sum % 43) return false;
        n = v.size() - 1;
    }
    return CountAndExtraAccept(n, v, reader);
}

std::string Code39::postProcess(std::string v, const QVCodabar& reader) const {
    if ((reader.ActiveFlags & FlagCode39CheckDigit) && !v.empty()) v.pop_back();
    return Symbology::postProcess(std::move(v), reader);
}

} // namespace kestrova::barcode
