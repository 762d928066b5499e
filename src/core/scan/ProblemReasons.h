#pragma once

#include <QString>
#include <QStringList>

namespace kestrova {

// The line of a reason file that records the names "*all" has already filed the page under, when
// some of its candidates could not be written: this text, then each name followed by ":".
inline const QString FiledNamesRecord = QStringLiteral("Already filed as ");

// What a problem page's reason file says: the reader's six result lists, the problem text and the
// names the page has already been filed under.
struct ProblemReasons {
    QStringList slotLines; // slots 1 to 6, each possibly empty
    QString problemText;   // lines 7 onward joined without separators, without the record below
    QStringList filed;     // names of the FiledNamesRecord line
};

// Reads lines as written beside a problem page: six slot lines, then the problem text and
// possibly the record of names already filed.
ProblemReasons ParseProblemReasons(const QStringList& lines);
// The name candidates of a problem page from its six slot lines: the entries of every list ("^"
// removed, the Codabar list without its start and stop letters A to D), in order, each once.
QStringList ProblemCandidates(const QStringList& slotLines);
// True when text is a request number as the operator types one: digits only.
bool IsRequestNumber(const QString& text);

// The lines of a reason file (line breaks of any kind), empty when it cannot be read.
QStringList ReadReasonLines(const QString& path);
// The candidates without the names the page has already been filed under ("!" in front of a
// candidate only marks a name that is not a number).
QStringList UnfiledCandidates(const QStringList& candidates, const QStringList& filed);
// The label of a problem: its text, then the names it has already been filed under.
QString ProblemLabel(const QString& problemText, const QStringList& filed);
// Rewrites the reason file at path, whole or not at all, with its FiledNamesRecord line holding
// names. Returns empty, or why it failed.
QString WriteFiledRecord(const QString& path, const QStringList& names);

} // namespace kestrova
