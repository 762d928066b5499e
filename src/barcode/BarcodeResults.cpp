#include "barcode/QVCodabar.h"
#include "barcode/TextFields.h"

namespace kestrova::barcode {

namespace {

std::string WithoutCaret(const std::string& entry) {
    return !entry.empty() && entry[0] == '^' ? entry.substr(1) : entry;
}

// The character `back` places before the end (1 = the last), or empty.
std::string FromEnd(const std::string& entry, std::size_t back) {
    return entry.size() >= back ? std::string(1, entry[entry.size() - back]) : std::string{};
}

} // namespace

std::string BarcodeResultsText(const QVCodabar& reader) {
    std::string text;
    for (int slot = 1; slot <= ReaderSlotCount; ++slot) {
        const std::string& list = reader.Results[static_cast<std::size_t>(slot)];
        if (list.empty())
            text += "\r\n";
        else if (slot < ReaderSlotCount) // the last list ends the text without a line break
            text += list + "\r\n";
        else
            text += detail::RemoveChars(list, "ABCD");
    }
    return detail::RemoveChars(text, "^");
}

std::string BarcodeResultField(const QVCodabar& reader, int entry, int slot, std::uint8_t kind) {
    if (slot < SlotCode25 || slot > ReaderSlotCount) return {};
    const std::string e = detail::DelimitedField(reader.Results[static_cast<std::size_t>(slot)], ':', entry);
    if (e.empty()) return {};
    if (kind == 6) return e[0] == '^' ? "Y" : "N";
    if (slot == 4) {
        if (kind == 1) return FromEnd(e, 2);
        if (kind == 5) return e;
    } else if (slot == 5) {
        if (kind == 1) return WithoutCaret(e);
        if (kind == 4) {
            std::string starred(1, '*');
            starred.append(WithoutCaret(e)).push_back('*');
            return starred;
        }
    } else {
        const std::string data = WithoutCaret(e);
        if (kind == 1) return data.size() >= 2 ? data.substr(1, data.size() - 2) : std::string{};
        if (kind == 2) return e[0] == '^' ? e.substr(1, 1) : e.substr(0, 1);
        if (kind == 3) return FromEnd(e, 2);
        if (kind == 4) return e;
    }
    return {};
}

int BarcodeCount(const QVCodabar& reader) {
    int count = 0;
    for (int slot = 1; slot <= ReaderSlotCount; ++slot)
        count += detail::CountOccurrences(reader.Results[static_cast<std::size_t>(slot)], ":");
    return count;
}

void ClearBarcodeResults(QVCodabar& reader) {
    for (auto& list : reader.Results) list.clear();
}

} // namespace kestrova::barcode
