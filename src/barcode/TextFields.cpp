#include "barcode/TextFields.h"

namespace kestrova::barcode::detail {

std::string RemoveChars(std::string_view text, std::string_view set) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (set.find(c) == std::string_view::npos) out += c;
    return out;
}

int CountOccurrences(std::string_view text, std::string_view part) {
    if (part.empty()) return 0;
    int count = 0;
    for (std::size_t i = text.find(part); i != std::string_view::npos; i = text.find(part, i + part.size())) ++count;
    return count;
}

std::string DelimitedField(std::string_view text, char delimiter, int n) {
    if (delimiter == '\0' || text.empty() || n < 1) return {};
    std::size_t begin = 0;
    for (int i = 1; i < n; ++i) {
        const std::size_t next = text.find(delimiter, begin);
        if (next == std::string_view::npos) return {};
        begin = next + 1;
    }
    return std::string(text.substr(begin, text.find(delimiter, begin) - begin));
}

} // namespace kestrova::barcode::detail
