#pragma once

#include "barcode/Symbology.h"

namespace kestrova::barcode {

class Code128 final : public Symbology {
public:
    std::optional<Candidate> startSearch(Lane& fwd, Lane& rev, QVCodabar& reader) override;
    std::optional<std::string_view> stopSearch(const Candidate& c, const QVCodabar& reader) const override;
    std::optional<Decoded> decode(std::string_view text, const Candidate& c) const override;
    bool validate(const std::string& v, const QVCodabar& reader) const override;
};

// The value (0-106) of six letters of Code 128, or -1.
int Code128Value(std::string_view letters);
// The six letters of a Code 128 value (0-106).
std::string_view Code128Pattern(int value);

} // namespace kestrova::barcode
