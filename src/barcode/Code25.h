#pragma once

#include "barcode/Symbology.h"

namespace kestrova::barcode {

// Interleaved two of five: pairs of digits, the first in the bars, the second in the spaces.
class Code25 final : public Symbology {
public:
    std::optional<Candidate> startSearch(Lane& fwd, Lane& rev, QVCodabar& reader) override;
    std::optional<std::string_view> stopSearch(const Candidate& c, const QVCodabar& reader) const override;
    std::optional<Decoded> decode(std::string_view text, const Candidate& c) const override;
    bool validate(const std::string& v, const QVCodabar& reader) const override;
    std::string postProcess(std::string v, const QVCodabar& reader) const override;
};

} // namespace kestrova::barcode
