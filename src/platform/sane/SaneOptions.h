#pragma once

#include "core/ports/Scanner.h"

#include <QString>
#include <QStringList>
#include <sane/sane.h>

namespace kestrova::sane {

// One option of an open device, found by name.
struct SaneOption {
    SANE_Int index = -1;
    const SANE_Option_Descriptor* descriptor = nullptr;

    explicit operator bool() const { return descriptor != nullptr; }
    bool active() const { return descriptor && (descriptor->cap & SANE_CAP_INACTIVE) == 0; }
    bool settable() const { return active() && (descriptor->cap & SANE_CAP_SOFT_SELECT) != 0; }
};

SaneOption FindOption(SANE_Handle handle, const QString& name);

// The value as text: strings as they are, numbers in decimal (the first element of an array),
// booleans "yes"/"no". Empty when the option cannot be read.
QString OptionValue(SANE_Handle handle, const QString& name);
// The choices the device allows: a string or number list, or for a range of resolutions the
// usual resolutions inside it. Empty when the option takes any value.
QStringList OptionChoices(SANE_Handle handle, const QString& name);
// Sets an option from text. A value from a list is matched without regard to letter case; a
// number outside a list takes the nearest listed one.
Status SetOption(SANE_Handle handle, const QString& name, const QString& value);

// Page sizes the settings offer: "A4", "A5", "Letter", "Legal" and "Full area".
QStringList PageSizes();
// Sets the scan area (and the feeder's page size where the device has one) to a page size,
// cut to what the device can scan.
Status SetPageSize(SANE_Handle handle, const QString& size);
bool HasPageGeometry(SANE_Handle handle);

// The resolution in dots per inch (0 when the device does not say).
int Resolution(SANE_Handle handle);

// Whether a source value names a document feeder ("ADF", "Automatic Document Feeder", "Duplex").
bool IsFeederSource(const QString& source);

} // namespace kestrova::sane
