#pragma once

#include <QString>

namespace kestrova {

class TImageDataModule;

struct QueryTextResult {
    bool ok = false;
    QString text;  // the rows, or the count of rows a change statement affected
    QString error; // the engine's text when ok is false
};

// Runs one statement in the Access dialect on ImageDataQuery, for the command line. A query gives
// a header line of field names and one line per row, fields separated by tabs (a tab, line break
// or backslash inside a value is written as \t, \n or \\). A change statement (insert, update,
// delete, alter, create, drop) gives "N rows affected".
QueryTextResult RunQueryText(TImageDataModule& db, const QString& statement);

} // namespace kestrova
