#pragma once

#include "core/ports/Scanner.h"

#include <QList>
#include <QString>
#include <sane/sane.h>

namespace kestrova::sane {

// Holds libsane initialised while alive; the library is shared by every holder in the process
// and ended when the last one goes. SANE_CONFIG_DIR is read when the first holder starts it.
class SaneLibrary {
public:
    SaneLibrary();
    ~SaneLibrary();
    SaneLibrary(const SaneLibrary&) = delete;
    SaneLibrary& operator=(const SaneLibrary&) = delete;

    bool ok() const { return m_ok; }
    QString error() const { return m_error; }

private:
    bool m_ok = false;
    QString m_error;
};

// The library's own text for a status ("Document feeder jammed", "Device busy", ...).
QString StatusText(SANE_Status status);

// The devices SANE finds, local and on the network.
Status ListSaneDevices(QList<ScannerDeviceInfo>& devices);

} // namespace kestrova::sane
