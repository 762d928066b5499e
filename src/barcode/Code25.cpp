#include "barcode/Code25.h"

#include <array>

namespace kestrova::barcode {

namespace {

// Five elements per digit, "1" wide, "0" narrow; the eleventh entry stands for the stop.
constexpr std::array<std::string_view, 11> CODE25{
    "00110", "10001", "01001", "11000", "00101", "10100", "01100", "00011", "10010", "01010", "100  ",
};
static_assert(CODE25.size() == 11);
constexpr std::size_t StopEntry = 10;

constexpr std::string_view START = "bsbs";
constexpr std::string_view STOP = "Bsb ";
constexpr std::size_t Group = 10; // a pair of digits

char Width(char letter) {
    switch (letter) {
    case 'B':
    case 'S':
        return '1';
    case 'b':
    case 's':
        return '0';
    default:
        return ' ';
    }
}

int Lookup(std::string_view elements) {
    for (std::size_t i = 0; i < CODE25.size(); ++i)
        if (CODE25[i] == elements) return static_cast<int>(i);
    return -1;
}

} // namespace

std::optional<Candidate> Code25::startSearch(Lane& fwd, Lane& rev, QVCodabar& reader) {
    reader.Reversed = false;
    for (int dir = 0; dir < 2; ++dir) {
        Lane& lane = dir == 0 ? fwd : rev;
        if (lane.empty()) continue;
        const std::size_t p = FindLetters(lane.text, START, lane.start);
        if (p == std::string_view::npos) {
            lane.clear();
            continue;
        }
        lane.keepFrom(p + Group);
        reader.Reversed = dir == 1;
        const std::string_view after = lane.text.substr(p + START.size());
        return Candidate{CutAfterBlank(Prefix(after, Group * reader.DigitsTo + 3))};
    }
    return std::nullopt;
}

std::optional<std::string_view> Code25::stopSearch(const Candidate& c, const QVCodabar&) const {
    // The stop must be followed by an unclassified run or the end of the letters.
    std::size_t p = c.letters.find(STOP);
    if (p == std::string_view::npos) {
        if (c.letters.size() < 3 || c.letters.substr(c.letters.size() - 3) != STOP.substr(0, 3)) return std::nullopt;
        p = c.letters.size() - 3;
    }
    return CutAfterBlank(Prefix(c.letters, p + 6));
}

std::optional<Decoded> Code25::decode(std::string_view text, const Candidate&) const {
    Decoded d;
    for (std::size_t at = 0; at < text.size(); at += Group) {
        const std::string_view group = text.substr(at, Group);
        char bars[6] = "     ";
        char spaces[6] = "     ";
        for (std::size_t i = 0; i < group.size(); ++i) (i % 2 == 0 ? bars : spaces)[i / 2] = Width(group[i]);
        const std::string_view barText(bars, 5);
        const std::string_view spaceText(spaces, 5);
        if (barText == "10   " && spaceText == "0    ") {
            d.consumed = at + group.size();
            return d;
        }
        for (std::string_view elements : {barText, spaceText}) {
            const int value = Lookup(elements);
            if (value == static_cast<int>(StopEntry)) {
                d.consumed = at + group.size();
                return d;
            }
            if (value >= 0) d.text += static_cast<char>('0' + value);
        }
    }
    return std::nullopt;
}

bool Code25::validate(const std::string& v, const QVCodabar& reader) const {
    const std::size_t len = v.size();
    if (len == 0 || len % 2 != 0) return false;
    if (reader.ActiveFlags & FlagCode25CheckDigit) {
        int sum = 0;
        for (std::size_t pos = 1; pos < len; ++pos) sum += (v[pos - 1] - '0') * (pos % 2 == 1 ? 3 : 1);
        if (v.back() != static_cast<char>('0' + (10 - sum % 10) % 10)) return false;
    }
    return CountAndExtraAccept(len - 1, v, reader);
}

std::string Code25::postProcess(std::string v, const QVCodabar& reader) const {
    if ((reader.ActiveFlags & FlagCode25DropLeading0) && !v.empty() && v.front() == '0') v.erase(0, 1);
    if ((reader.ActiveFlags & FlagCode25CheckDigit) && !v.empty()) v.pop_back();
    return Symbology::postProcess(std::move(v), reader);
}

} // namespace kestrova::barcode
