#include "barcode/Symbology.h"

#include <cstdint>
#include <cstring>

namespace kestrova::barcode {

namespace {

// Letters that are seldom frequent in a row, in the order they are preferred as an anchor: runs
// of four, three and two module widths are rarer than narrow ones and than wide spaces in print.
constexpr std::string_view AnchorLetters = "CTctB";

// Patterns are a few letters long and most candidates differ early: cheaper than memcmp.
bool SameLetters(const char* a, const char* b, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k)
        if (a[k] != b[k]) return false;
    return true;
}

} // namespace

// Run strings are short texts of few distinct letters, where most positions match a pattern's
// first letter. A pattern with a letter that is seldom frequent is looked for where that letter
// stands (memchr); otherwise eight letters are compared at a time.
std::size_t FindLetters(std::string_view text, std::string_view pattern, std::size_t from) {
    const std::size_t n = pattern.size();
    if (n == 0 || text.size() < n || from > text.size() - n) return std::string_view::npos;
    const std::size_t last = text.size() - n;
    for (char anchor : AnchorLetters) {
        const std::size_t offset = pattern.find(anchor);
        if (offset == std::string_view::npos) continue;
        // The anchor of a match at i stands at i + offset, for i in from..last.
        const char* begin = text.data();
        const char* p = begin + from + offset;
        const char* end = begin + last + offset + 1;
        while (p < end) {
            p = static_cast<const char*>(std::memchr(p, anchor, static_cast<std::size_t>(end - p)));
            if (!p) break;
            const std::size_t i = static_cast<std::size_t>(p - begin) - offset;
            if (SameLetters(begin + i, pattern.data(), n)) return i;
            ++p;
        }
        return std::string_view::npos;
    }
    const std::size_t head = n < 8 ? n : 8;
    std::uint64_t want = 0;
    std::memcpy(&want, pattern.data(), head);
    const std::uint64_t mask = head == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * head)) - 1;
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
