#pragma once

#include <cstdio>

namespace kestrova {

// The station's warning sound. The workstation beeps through the window system; a program
// without a window rings the terminal bell, or stays silent.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

// Rings the bell of the terminal on standard error (when there is one).
class TerminalBeeper : public Beeper {
public:
    void beep() override {
        std::fputc('\a', stderr);
        std::fflush(stderr);
    }
};

// Makes no sound.
class SilentBeeper : public Beeper {
public:
    void beep() override {}
};

} // namespace kestrova
