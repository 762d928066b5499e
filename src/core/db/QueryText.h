#pragma once

#include <QString>
#include <functional>

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

// The same, handing each line (header, rows, or the count of a change) to out as it comes instead
// of collecting them, so a query over a whole table never holds its rows. text stays empty; a
// failure while rows come leaves the lines already given.
QueryTextResult StreamQueryText(TImageDataModule& db, const QString& statement,
                                const std::function<void(const QString& line)>& out);

// One value as a field of those lines: a tab, line break or backslash in it written as \t, \n or
// \\.
QString QueryTextCell(QString value);

} // namespace kestrova
