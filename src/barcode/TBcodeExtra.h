#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrova::barcode {

// "Extra Barcode Validation": wildcard patterns a barcode text must match one of.
class TBcodeExtra {
public:
    bool HasPatterns = false;
    std::vector<std::string> Patterns;

    // Patterns separated by ";"; blanks are dropped; an empty text clears the list.
    void SetPatterns(std::string_view text);
    // The patterns, each followed by ";".
    std::string GetPatterns() const;
    // True when there are no patterns or one of them matches the start of `text`; "?" and "*"
    // stand for exactly one character.
    bool Accepts(std::string_view text) const;
};

} // namespace kestrova::barcode
