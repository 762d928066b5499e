#pragma once

#include <QString>
#include <QStringView>

namespace kestrova {

class EventLog;
struct setupinformation;

// Whether text holds a control character (U+0000-U+001F, U+007F-U+009F). No path the station
// writes may hold one: a NUL cuts the path short where the operating system reads it.
bool HasControlCharacter(QStringView text);

// Whether text can stand inside a file name the station builds: no control character, no "/" or
// "\" and no "..", so that the name stays in the folder it is made for.
bool IsSafeNamePart(QStringView text);

// The text with every control character written as \xNN, for a log line that shows it.
QString VisibleText(QStringView text);

// What RefuseUnsafeSetupValues found.
struct UnsafeSetupValues {
    bool criticalDirectory = false; // slot 1, 2, 3 or 6 held a control character
    bool other = false;             // another slot, the scanner identifier or a document code
};

// Looks for values of the setup record that would let the station write where it must not: a
// directory slot holding a control character, and a scanner identifier or document code that cannot
// be part of a file name. Each is logged. A directory slot found so is switched off ("Drive
// Disabled"), so that nothing uses what is left of its path.
UnsafeSetupValues RefuseUnsafeSetupValues(setupinformation& s, EventLog& log);

} // namespace kestrova
