#include "barcode/ReaderVersion.h"

namespace kestrova::barcode {

const char* ReaderVersion() {
    return "1";
}

} // namespace kestrova::barcode
