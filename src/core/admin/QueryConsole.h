#pragma once

#include "core/util/DateTime.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

namespace kestrova {

class Prompter;

// The texts and text rules of the administration window's query console: the canned queries, the
// parameter list, the date reader, the parameter marks (":Q" + name, prompted before sending),
// the bracketed date literals (bound as ":Date_A", ":Date_B", ...) and the layout of a sent
// statement. Nothing here touches the database.

// The query list: entry 0 is "Custom", 1..11 the canned queries.
QStringList QueryComboEntries();
inline constexpr int CustomQueryEntry = 0;
inline constexpr int AllCurrentDataEntry = 1;

// The editor lines of canned query `entry` (1..11); entry 2 names the current media label.
QStringList CannedQueryLines(int entry, const QString& mediaLabel);

// The parameter list: "*", the columns of the image tables, the separator and the two tables.
QStringList ParamComboEntries();
inline const QString TablesSeparator = QStringLiteral("----Tables----");

// The editor's lines when the window is created.
QStringList InitialEditorLines();

// The console's date reader: a date "y-m-d" and an optional time "h:n[:s]" separated by a blank,
// in either order; a text without "-" is tried in the locale's short date [and time] format.
// On success the text becomes "yyyy-mm-dd hh:nn:ss" and the value is returned; on failure the
// text is emptied and nothing is returned.
std::optional<TDateTime> ReadQueryDate(QString& text, const QLocale& locale = QLocale::system());

// "Try " + short date format + " " + short time format + " format."
QString DateFormatHint(const QLocale& locale = QLocale::system());

// How "Do Query" sends the editor's text, worked out from its first word.
enum class StatementKind { Nothing, Change, Query };
// Drops the leading lines that are empty or blank and trims the text (editorText is rewritten),
// then classifies by the first word of the first line: delete/update/insert change rows, drop is
// never sent, anything else is a query. Nothing for an empty editor.
StatementKind ClassifyStatement(QString& editorText);

// True when the statement must not be sent at all: empty, or holding "drop " anywhere.
bool DropGuard(const QString& editorText);

// " :q" -> " :Q", "=:q" -> "= :Q", "=:Q" -> "= :Q" (case-sensitive, every occurrence, in order).
QString NormaliseMarks(const QString& editorText);

// The text that is sent: line breaks as blanks, and one blank more.
QString WorkingText(const QString& editorText);

// Asks for every ":Q" mark of the working text (input boxes "Enter Query parameter", the name as
// prompt) and writes the answers in. Names with "date" or "time" get the date field's text as the
// default and their answer in square brackets; "table" defaults to "ImageData", "media_name" to
// the media label. A cancelled box answers the default. Text already written in is never read
// again for marks, so an answer holding ":Q" is sent as it stands.
QString PromptParameters(const QString& working, Prompter& prompter, const QString& dateDefault,
                         const QString& mediaLabel);

// At most this many date literals in one statement (":Date_A" .. ":Date_Z").
inline constexpr int MaxDateLiterals = 26;
struct NumberedDates {
    QString text;          // the statement with ":Date_A", ":Date_B", ... in place of the literals
    QStringList dateTexts; // what stood between the brackets, in order
    bool tooMany = false;  // more than MaxDateLiterals literals: nothing may be sent
};
NumberedDates NumberDateLiterals(const QString& working);
QString DateParameterName(int index); // "Date_A" for 0

// The sent statement laid out for reading: line breaks before "from", "where" and "order by",
// after " and " and " or ".
QString ReformatStatement(const QString& sent);

// The console's message texts.
inline const QString ConsoleParameterCaption = QStringLiteral("Enter Query parameter");
inline const QString InvalidDateCaption = QStringLiteral("Invalid Date in SQL");
inline const QString ExecuteCaption = QStringLiteral("Execute SQL Statement");
QString InvalidDateText(const QString& dateText);
QString UnableToExecuteText(const QString& error);
QString SuccessfulUpdateText(int rows);

} // namespace kestrova
