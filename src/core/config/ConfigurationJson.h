#pragma once

#include <QJsonObject>

namespace kestrova {

class TKestrovaConfiguration;

// The whole configuration tree as JSON, every field under its own name.
QJsonObject ConfigurationToJson(const TKestrovaConfiguration& configuration);

} // namespace kestrova
