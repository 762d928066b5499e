#pragma once

#include "barcode/Symbology.h"

#include <array>

namespace kestrova::barcode {

class Codabar final : public Symbology {
public:
    void beginRow() override;
    std::optional<Candidate> startSearch(Lane& fwd, Lane& rev, QVCodabar& reader) override;
    std::optional<std::string_view> stopSearch(const Candidate& c, const QVCodabar& reader) const override;
    std::optional<Decoded> decode(std::string_view text, const Candidate& c) const override;
    bool validate(const std::string& v, const QVCodabar& reader) const override;
    std::string postProcess(std::string v, const QVCodabar& reader) const override;

private:
    void findStarts(std::string_view fwd, std::uint32_t flags);

    // Where each start character was last found in each lane; the lanes only lose letters at
    // the front, so a position at or after the lane's start is still the first occurrence.
    std::array<std::array<std::size_t, 2>, 4> m_found{};
    std::array<std::array<bool, 2>, 4> m_searched{};
};

} // namespace kestrova::barcode
