#include "barcode/RowSearch.h"

#include "barcode/Codabar.h"
#include "barcode/Code128.h"
#include "barcode/Code25.h"
#include "barcode/Code39.h"

#include <cctype>

namespace kestrova::barcode {

namespace {

std::string_view Trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

} // namespace

RowSearch::RowSearch(QVCodabar& reader) : m_reader(reader) {
    m_symbologies[SlotCode128] = std::make_unique<Code128>();
    m_symbologies[SlotCode25] = std::make_unique<Code25>();
    m_symbologies[SlotCode39] = std::make_unique<Code39>();
    m_symbologies[SlotCodabar] = std::make_unique<Codabar>();
}

void RowSearch::searchRow(int row) {
    for (int slot = ReaderSlotCount; slot >= 1 && !m_finished; --slot) {
        if (!(m_reader.Flags & SlotBit(slot))) continue;
        m_reader.ActiveFlags = (m_reader.Flags & ~AllSlotBits) | SlotBit(slot);
        // Slots 1 and 2 hold no symbology: nothing to look for.
        if (m_symbologies[slot]) searchSlot(slot, *m_symbologies[slot], row);
    }
}

void RowSearch::searchSlot(int slot, Symbology& symbology, int row) {
    Lane fwd{m_reader.RowRuns};
    Lane rev{m_reader.RowRunsReversed};
    symbology.beginRow();
    while (!m_finished && (!fwd.empty() || !rev.empty())) {
        const std::optional<Candidate> candidate = symbology.startSearch(fwd, rev, m_reader);
        if (!candidate) break;
        const std::optional<std::string_view> symbol = symbology.stopSearch(*candidate, m_reader);
        if (!symbol) continue;
        const std::string_view text = Trim(*symbol);
        if (text.empty() || text.find(' ') != std::string_view::npos) continue;
        const std::optional<Decoded> decoded = symbology.decode(text, *candidate);
        if (!decoded || !symbology.validate(decoded->text, m_reader)) continue;
        // Go on after this symbol's stop: a start pattern inside its data would only give a
        // shorter tail of the same symbol.
        Lane& lane = m_reader.Reversed ? rev : fwd;
        lane.keepFrom(lane.indexOf(text) + decoded->consumed);
        record(symbology.postProcess(decoded->text, m_reader), slot, row);
    }
}

void RowSearch::record(const std::string& v, int slot, int row) {
    std::string& results = m_reader.Results[static_cast<std::size_t>(slot)];
    if (results.find(v + ":") != std::string::npos) return;
    std::string key = v + "-" + std::to_string(slot);
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    Reading& reading = m_readings[key];
    // One reading per pixel row: the same short text printed twice on a row is still one row.
    if (reading.count > 0 && reading.lastRow == row) return;
    reading.lastRow = row;
    if (++reading.count == 2) {
        results += v + ":";
        ++m_pageCount;
        if (m_reader.Flags & FlagStopAfterFirst) m_finished = true;
    }
}

} // namespace kestrova::barcode
