#pragma once

#include "barcode/Symbology.h"

namespace kestrova::barcode {

class Code39 final : public Symbology {
public:
    std::optional<Candidate> startSearch(Lane& fwd, Lane& rev, QVCodabar& reader) override;
    std::optional<std::string_view> stopSearch(const Candidate& c, const QVCodabar& reader) const override;
    std::optional<Decoded> decode(std::string_view text, const Candidate& c) const override;
    bool validate(const std::string& v, const QVCodabar& reader) const override;
    std::string postProcess(std::string v, const QVCodabar& reader) const override;
};

// The check value of a Code 39 character (0-42), or -1.
int Code39CheckValue(char c);

} // namespace kestrova::barcode
