#pragma once

#include <QByteArray>

struct zip;
struct zip_source;

namespace kestrova {

// A libzip source that hands libzip the data already deflated, with its size and CRC, so that
// libzip writes the compressed bytes as they are. The data is deflated here, once, with
// libdeflate at the same level (1 to 9), which is several times faster than the zlib deflate
// libzip would run when the archive is written; the result is a standard deflate stream that any
// unzip program reads. The entry's general purpose flags record the level class as libzip's own
// deflate does (maximum compression for 8 and 9, super fast for 1 and 2).
//
// Null when the data cannot be deflated or the source cannot be made (libzip's error is set on
// the archive in the latter case).
zip_source* DeflatedSource(zip* archive, const QByteArray& data, int level);

} // namespace kestrova
