#pragma once

#include <QStringList>

namespace kestrova {

// The indexes for the columns the station searches by, as statements that do nothing when the
// index exists already (the same text serves SQLite and PostgreSQL).
QStringList ImageIndexStatements();

} // namespace kestrova
