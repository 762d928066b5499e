#pragma once

#include "core/ports/PageImage.h"

#include <QByteArray>
#include <functional>

namespace kestrova::leptonica {

// Writes path through a temporary file in the same directory, renamed over path only when
// write (given the temporary file's native path) succeeds and check (if given) accepts the
// result. With keepContents the temporary file starts as a copy of path, so write can append.
// On any failure path is left as it was and the temporary file is removed. A replaced file keeps
// its permission bits; a new one gets the default ones.
Status WriteThroughTemporary(const QString& path, bool keepContents,
                             const std::function<Status(const QByteArray& tempPath)>& write,
                             const std::function<Status(const QString& tempPath)>& check = {});

} // namespace kestrova::leptonica
