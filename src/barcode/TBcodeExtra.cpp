#include "barcode/TBcodeExtra.h"

#include <algorithm>

namespace kestrova::barcode {

namespace {

// Splits at CR, LF or CR LF; a break at the very end does not start another line.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = text.find_first_of("\r\n", i);
        if (end == std::string::npos) {
            lines.push_back(text.substr(i));
            break;
        }
        lines.push_back(text.substr(i, end - i));
        i = end + 1;
        if (text[end] == '\r' && i < text.size() && text[i] == '\n') ++i;
    }
    return lines;
}

bool Matches(std::string_view pattern, std::string_view text) {
    const std::size_t n = std::min(pattern.size(), text.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char p = pattern[i];
        if (p != '?' && p != '*' && p != text[i]) return false;
    }
    return true;
}

} // namespace

void TBcodeExtra::SetPatterns(std::string_view text) {
    Patterns.clear();
    if (!text.empty()) {
        std::string lines;
        lines.reserve(text.size());
        for (char c : text) {
            if (c == ';')
                lines += "\r\n";
            else if (c != ' ')
                lines += c;
        }
        Patterns = SplitLines(lines);
    }
    HasPatterns = !Patterns.empty();
}

std::string TBcodeExtra::GetPatterns() const {
    std::string out;
    for (const auto& p : Patterns) out += p + ";";
    return out;
}

bool TBcodeExtra::Accepts(std::string_view text) const {
    if (!HasPatterns) return true;
    return std::any_of(Patterns.begin(), Patterns.end(), [&](const std::string& p) { return Matches(p, text); });
}

} // namespace kestrova::barcode
