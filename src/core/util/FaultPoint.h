#pragma once

namespace kestrova {

// A named step of a pass where a test may stop the process dead, as a power cut or a kill would.
// Does nothing unless the environment variable KESTROVA_FAULT_POINT (read once, at the first
// call) names this point: "name" stops the process the first time the point is reached,
// "name#N" the Nth time. The process then ends by SIGKILL, leaving its files as they are.
void FaultPoint(const char* name);

} // namespace kestrova
