#pragma once

#include "core/db/DbEngine.h"

#include <QStringList>

namespace kestrova {

// The indexes for the columns the station searches by, as statements that do nothing when the
// index exists already (the same text serves SQLite and PostgreSQL).
QStringList ImageIndexStatements();

// All the indexes of the engine: the ones above, and those whose text differs between engines
// (partial indexes for the statements the station runs on a timer, and on a server the index
// that lets a request-number prefix search use an index although the column ignores letter
// case).
QStringList ImageIndexStatements(DbEngine engine);

// The name of the index a statement of ImageIndexStatements makes.
QString IndexNameOf(const QString& statement);

} // namespace kestrova
