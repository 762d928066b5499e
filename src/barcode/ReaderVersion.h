#pragma once

namespace kestrova::barcode {

// Version of the reader's rules; written into logs so that results can be traced to a reader.
const char* ReaderVersion();

} // namespace kestrova::barcode
