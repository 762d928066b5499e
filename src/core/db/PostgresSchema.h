#pragma once

#include <QSqlDatabase>
#include <QString>

namespace kestrova {

struct SchemaResult {
    bool ok = false;
    bool created = false; // the tables did not exist and have been made
    QString error;
};

// Makes the image tables, their indexes and the NextSeq view on a PostgreSQL server when they are
// missing (the server's counterpart of copying the blank database file). Safe when several
// stations start at once. Leaves existing tables as they are: the schema upgrade adds columns.
SchemaResult EnsurePostgresSchema(QSqlDatabase db);

} // namespace kestrova
