#pragma once

namespace kestrova {

// True when the workstation has no display to show its window on (or KESTROVA_HEADLESS=1):
// it then runs its start-up, prints the event log and ends.
bool RunHeadless();

} // namespace kestrova
