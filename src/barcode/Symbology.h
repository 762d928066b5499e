#pragma once

#include "barcode/QVCodabar.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::barcode {

// A run string the start search eats from the front: the letters from `start` on are left.
struct Lane {
    std::string_view text;
    std::size_t start = 0;

    bool empty() const { return start >= text.size(); }
    std::string_view rest() const { return empty() ? std::string_view{} : text.substr(start); }
    void clear() { start = text.size(); }
    // Keeps the letters from `pos` (an index into `text`) on; never moves back.
    void keepFrom(std::size_t pos) {
        if (pos > start) start = pos < text.size() ? pos : text.size();
    }
    // Index into `text` of a view that lies inside it.
    std::size_t indexOf(std::string_view inside) const { return static_cast<std::size_t>(inside.data() - text.data()); }
};

// Letters that may hold a symbol; a view into one of the lanes. Code 128 carries its code set
// ('A', 'B' or 'C') apart from the letters.
struct Candidate {
    std::string_view letters;
    char set = 0;
};

struct Decoded {
    std::string text;
    std::size_t consumed = 0; // letters of the symbol text up to the end of the stop character
};

// The rules of one symbology. An object serves one read of one page; a failed match gives an
// empty result.
class Symbology {
public:
    virtual ~Symbology() = default;
    // Called before the search of every row.
    virtual void beginRow() {}
    // Finds the next candidate in fwd or rev (consuming them) and sets reader.Reversed.
    virtual std::optional<Candidate> startSearch(Lane& fwd, Lane& rev, QVCodabar& reader) = 0;
    // The symbol text of a candidate (a view into its letters, not yet trimmed).
    virtual std::optional<std::string_view> stopSearch(const Candidate& c, const QVCodabar& reader) const = 0;
    virtual std::optional<Decoded> decode(std::string_view text, const Candidate& c) const = 0;
    virtual bool validate(const std::string& v, const QVCodabar& reader) const = 0;
    virtual std::string postProcess(std::string v, const QVCodabar& reader) const;
};

// Shared by the symbologies: the count range and the extra validation.
bool CountAndExtraAccept(std::size_t n, const std::string& v, const QVCodabar& reader);

// First position at or after `from` where `pattern` occurs in `text`, or npos.
std::size_t FindLetters(std::string_view text, std::string_view pattern, std::size_t from = 0);

// Whether `pattern` occurs in `text`; for the few letters of a character group, without the
// library calls of a general search.
inline bool Contains(std::string_view text, std::string_view pattern) {
    const std::size_t n = pattern.size();
    for (std::size_t at = 0; at + n <= text.size(); ++at) {
        std::size_t k = 0;
        while (k < n && text[at + k] == pattern[k]) ++k;
        if (k == n) return true;
    }
    return false;
}

// A prefix of at most `count` letters of `s`.
inline std::string_view Prefix(std::string_view s, std::size_t count) {
    return s.substr(0, count);
}
// Cut after the first blank, the blank kept.
inline std::string_view CutAfterBlank(std::string_view s) {
    const std::size_t b = s.find(' ');
    return b == std::string_view::npos ? s : s.substr(0, b + 1);
}

} // namespace kestrova::barcode
