#pragma once

#include <QString>

namespace kestrova {

// The station template of an installed program: PREFIX/share/kestrova/station beside PREFIX/bin,
// or an empty string when the running program is not installed (a build tree). An installed
// program serves every station on the machine from one directory, so DefaultProgramDir takes the
// current directory, the station's, for it instead of the program's own directory.
QString InstalledStationTemplateDir();

} // namespace kestrova
