#pragma once

#include "core/ports/PageImage.h"
#include "core/ports/Scanner.h"

#include <QString>
#include <memory>

namespace kestrova {

// The scanner a station scans with, as "scanner.conf" in its program directory says: SANE
// (the default) or the folder feeder. problem receives a reason when the file could not be read
// (the station then scans through SANE with the first scanner found).
std::unique_ptr<Scanner> CreateStationScanner(const QString& programDir, const ImageCodec& codec,
                                              ScannerDialogs dialogs = {}, QString* problem = nullptr);

} // namespace kestrova
