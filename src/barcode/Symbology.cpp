#include "barcode/Symbology.h"

#include <cstdint>
#include <cstring>

namespace kestrova::barcode {

// Run strings are short texts of few distinct letters, where most positions match a pattern's
// first letter: compare eight letters at a time instead.
std::size_t FindLetters(std::string_view text, std::string_view pattern, std::size_t from) {
    const std::size_t n = pattern.size();
    if (n == 0 || text.size() < n || from > text.size() - n) return std::string_view::npos;
    const std::size_t head = n < 8 ? n : 8;
    std::uint64_t want = 0;
    std::memcpy(&want, pattern.data(), head);
    const std::uint64_t mask = head == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * head)) - 1;
    const std::size_t last = text.size() - n;
    std::size_t i = from;
    for (; i <= last && i + 8 <= text.size(); ++i) {
        std::uint64_t window;
        std::memcpy(&window, text.data() + i, 8);
        if ((window & mask) == want && text.substr(i + head, n - head) == pattern.substr(head)) return i;
    }
    for (; i <= last; ++i)
        if (text.substr(i, n) == pattern) return i;
    return std::string_view::npos;
}

std::string Symbology::postProcess(std::string v, const QVCodabar& reader) const {
    if (reader.Reversed) v.insert(0, 1, '^');
    return v;
}

bool CountAndExtraAccept(std::size_t n, const std::string& v, const QVCodabar& reader) {
    if (n < reader.DigitsFrom || n > reader.DigitsTo) return false;
    return !reader.Extra || reader.Extra->Accepts(v);
}

} // namespace kestrova::barcode
