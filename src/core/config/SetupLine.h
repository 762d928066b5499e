#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace kestrova {

struct MainWindowState;
struct StationSetup;

// One line of the setup file: code|label|value|extra. Only the code and the value are used; the
// label and the extra text are free text for the configuration program.
struct SUFline {
    std::int16_t Code = 0;
    QString Label;
    QString Value;
    QString Extra;
};

// Splits a line. Nothing when the line has no "|" or its code is not a decimal integer; codes
// outside the 16-bit range wrap (65537 is code 1).
std::optional<SUFline> ParseSUFline(QStringView line);

// Applies one line to the setup values, and to the one thing the setup file sets in the main
// window's view (whether the LIS counter is shown). Unknown codes are ignored; a number that is not
// an integer drops the rest of its line.
void ApplySetupLine(StationSetup& setup, MainWindowState& view, const SUFline& line);

} // namespace kestrova
