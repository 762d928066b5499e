#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace kestrova {

class Station;

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

// Applies one line to the station's setup record and the globals the setup file fills. Unknown
// codes are ignored; a number that is not an integer drops the rest of its line.
void ApplySetupLine(Station& station, const SUFline& line);

} // namespace kestrova
