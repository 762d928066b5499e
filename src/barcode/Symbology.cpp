#include "barcode/Symbology.h"

namespace kestrova::barcode {

std::string Symbology::postProcess(std::string v, const QVCodabar& reader) const {
    if (reader.Reversed) v.insert(0, 1, '^');
    return v;
}

bool CountAndExtraAccept(std::size_t n, const std::string& v, const QVCodabar& reader) {
    if (n < reader.DigitsFrom || n > reader.DigitsTo) return false;
    return !reader.Extra || reader.Extra->Accepts(v);
}

} // namespace kestrova::barcode
