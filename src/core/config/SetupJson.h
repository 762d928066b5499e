#pragma once

#include <QJsonObject>

namespace kestrova {

class Station;

// The setup record, the setup globals and the window state the setup file decides, as JSON
// objects named after the station's members: { "SetupInfo": ..., "globals": ..., "ui": ... }.
QJsonObject SetupToJson(const Station& station);

} // namespace kestrova
