#pragma once

namespace kestrova {

// The SQL engines the image database can live in: an embedded SQLite file (the default) or a
// PostgreSQL server shared by several stations and the LIS.
enum class DbEngine { SQLite, PostgreSQL };

} // namespace kestrova
