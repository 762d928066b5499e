#include "app/common/Headless.h"

#include <QByteArray>

namespace kestrova {

bool RunHeadless() {
    if (qgetenv("KESTROVA_HEADLESS") == "1") return true;
    if (!qgetenv("QT_QPA_PLATFORM").isEmpty()) return false;
    return qgetenv("DISPLAY").isEmpty() && qgetenv("WAYLAND_DISPLAY").isEmpty();
}

} // namespace kestrova
