#pragma once

#include "core/ports/Beeper.h"

#include <QApplication>

namespace kestrova {

// The workstation's warning sound: the window system's beep.
class ApplicationBeeper : public Beeper {
public:
    void beep() override { QApplication::beep(); }
};

} // namespace kestrova
