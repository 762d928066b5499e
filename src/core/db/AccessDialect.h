#pragma once

#include "core/db/DbEngine.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace kestrova {

// A statement in the Access dialect the station writes (text constants in double quotes, "*" and
// "?" as wildcards of like, bracketed date constants, True/False, Access type names in DDL,
// named parameters ":Name") turned into the engine's own SQL with positional "?" parameters.
struct DialectTranslation {
    QString sql;
    // One entry per "?" in sql, in order: the parameter's name as written (without the colon).
    QStringList parameters;
    // Parallel to parameters: true where the parameter is the pattern of a like, so its value
    // needs the wildcard translation too.
    QVector<bool> likePatterns;
    // Empty when the text could be translated.
    QString error;
};

DialectTranslation TranslateAccessSql(const QString& access, DbEngine engine);

// An Access like pattern ("*", "?", "[*]" ...) as a pattern for the engine's LIKE with "\" as the
// escape character. escaped is set when the result needs ESCAPE '\'.
QString AccessLikePattern(const QString& access, bool* escaped = nullptr);

// The distinct parameter names of a translation in order of first appearance (letter case of
// names is ignored, as the old engine did).
QStringList DistinctParameters(const DialectTranslation& translation);

} // namespace kestrova
