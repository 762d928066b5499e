#include "core/admin/QueryConsole.h"

#include "core/ports/Prompter.h"
#include "core/util/StringUtil.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QTime>

namespace kestrova {

QStringList QueryComboEntries() {
    return {QStringLiteral("Custom"),
            QStringLiteral("All Current Data"),
            QStringLiteral("Current Media Data"),
            QStringLiteral("All Archive Data"),
            QStringLiteral("Find Media by Request Number"),
            QStringLiteral("Unique Media Names"),
            QStringLiteral("All entries on a particular media"),
            QStringLiteral("All entries between two dates"),
            QStringLiteral("Search by partial request number"),
            QStringLiteral("Search by Image information"),
            QStringLiteral("List by Zipname"),
            QStringLiteral("Find  ZipName by Request Number")};
}

QStringList CannedQueryLines(int entry, const QString& mediaLabel) {
    const QString selectAll = QStringLiteral("select *");
    const QString fromTable = QStringLiteral("from :QTable");
    switch (entry) {
    case 1:
        return {QStringLiteral("Select *"), QStringLiteral("from ImageData")};
    case 2:
        return {QStringLiteral("Select *"), QStringLiteral("from ImageData"),
                QStringLiteral("where CDLabel = \"") + mediaLabel + QLatin1Char('"')};
    case 3:
        return {QStringLiteral("Select *"), QStringLiteral("from ImageArchive")};
    case 4:
        return {selectAll, fromTable, QStringLiteral("where ReqID = \":QReqId\"")};
    case 5:
        return {QStringLiteral("select distinct CDLabel as Media_Name"), fromTable,
                QStringLiteral("where CDLabel <> \"Deleted\"")};
    case 6:
        return {selectAll, fromTable, QStringLiteral("where CDLabel = \":QMedia_Name\"")};
    case 7:
        return {selectAll, fromTable, QStringLiteral("where scantime > :QLowDate and "),
                QStringLiteral("scantime < :QHighDate"), QStringLiteral("order by ScanTime")};
    case 8:
        return {selectAll, fromTable, QStringLiteral("where reqid like \":QReqID*\"")};
    case 9:
        return {selectAll, fromTable, QStringLiteral("where ImageInfo like \"*:QInfo*\"")};
    case 10:
        return {selectAll, fromTable, QStringLiteral("where Zipname like \":QZipname*\"")};
    case 11:
        return {QStringLiteral("select ZipName"), fromTable, QStringLiteral("where Reqid like \":QReqID*\"")};
    default:
        return {};
    }
}

QStringList ParamComboEntries() {
    return {QStringLiteral("*"),           QStringLiteral("SeqNumber"),
            QStringLiteral("DocDefn"),     QStringLiteral("ReqID"),
            QStringLiteral("ZipName"),     QStringLiteral("ScanTime"),
            QStringLiteral("Viewtime"),    QStringLiteral("CDWriteTime"),
            QStringLiteral("CDLabel"),     QStringLiteral("SentToSystem"),
            QStringLiteral("ImageInfo"),   QStringLiteral("Verified"),
            QStringLiteral("BarcodeData"), TablesSeparator,
            QStringLiteral("ImageData"),   QStringLiteral("ImageArchive")};
}

QStringList InitialEditorLines() {
    return {QStringLiteral("Choose a Common Query from the list (left)  OR "),
            QStringLiteral(" choose \"Custom Query\" and type your own query here.")};
}

namespace {

// A whole number of digits only (no sign, no blanks).
std::optional<int> WholeNumber(const QString& text) {
    if (text.isEmpty() || text.size() > 9) return std::nullopt;
    for (QChar c : text)
        if (!c.isDigit() || c.unicode() > '9') return std::nullopt;
    return text.toInt();
}

std::optional<QDate> DatePart(const QString& text) {
    const QStringList f = text.split(QLatin1Char('-'));
    if (f.size() != 3) return std::nullopt;
    const auto y = WholeNumber(f[0]), m = WholeNumber(f[1]), d = WholeNumber(f[2]);
    if (!y || !m || !d || *y < 1) return std::nullopt;
    const QDate date(*y, *m, *d);
    if (!date.isValid()) return std::nullopt;
    return date;
}

std::optional<QTime> TimePart(const QString& text) {
    if (text.isEmpty()) return QTime(0, 0);
    const QStringList f = text.split(QLatin1Char(':'));
    if (f.size() < 2 || f.size() > 3) return std::nullopt;
    const auto h = WholeNumber(f[0]), n = WholeNumber(f[1]);
    const auto s = f.size() == 3 ? WholeNumber(f[2]) : std::optional<int>(0);
    if (!h || !n || !s || *h > 23 || *n > 59 || *s > 59) return std::nullopt;
    return QTime(*h, *n, *s);
}

QString TrimControls(const QString& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b).unicode() <= ' ') ++b;
    while (e > b && text.at(e - 1).unicode() <= ' ') --e;
    return text.mid(b, e - b);
}

// The working text while parameters are answered: pieces of the statement, and answers that are
// never searched for marks again.
struct Piece {
    QString text;
    bool answer = false;
};

// Replaces every occurrence of what (letter case ignored) in the statement pieces by an answer.
void ReplaceInPieces(QList<Piece>& pieces, const QString& what, const QString& with) {
    QList<Piece> out;
    for (const Piece& piece : pieces) {
        if (piece.answer) {
            out << piece;
            continue;
        }
        qsizetype i = 0;
        while (true) {
            const qsizetype hit = piece.text.indexOf(what, i, Qt::CaseInsensitive);
            if (hit < 0) break;
            out << Piece{piece.text.mid(i, hit - i), false} << Piece{with, true};
            i = hit + what.size();
        }
        out << Piece{piece.text.mid(i), false};
    }
    pieces = out;
}

QString ReplaceIgnoringCase(const QString& text, const QString& what, const QString& with) {
    QString out;
    qsizetype i = 0;
    while (true) {
        const qsizetype hit = text.indexOf(what, i, Qt::CaseInsensitive);
        if (hit < 0) break;
        out += QStringView(text).mid(i, hit - i);
        out += with;
        i = hit + what.size();
    }
    out += QStringView(text).mid(i);
    return out;
}

} // namespace

std::optional<TDateTime> ReadQueryDate(QString& text, const QLocale& locale) {
    const QString trimmed = TrimControls(text);
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    const QString first = blank < 0 ? trimmed : trimmed.left(blank);
    const QString second = blank < 0 ? QString() : trimmed.mid(blank + 1).trimmed();
    std::optional<QDate> date;
    std::optional<QTime> time;
    if (first.contains(QLatin1Char('-'))) {
        date = DatePart(first);
        time = TimePart(second);
    } else if (second.contains(QLatin1Char('-'))) {
        date = DatePart(second);
        time = TimePart(first);
    } else {
        // The workstation's own short formats: a date, or a date and a time.
        const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
        const QDateTime both =
            locale.toDateTime(trimmed, dateFormat + QLatin1Char(' ') + locale.timeFormat(QLocale::ShortFormat));
        if (both.isValid()) {
            date = both.date();
            time = QTime(both.time().hour(), both.time().minute(), both.time().second());
        } else {
            const QDate d = locale.toDate(trimmed, dateFormat);
            if (d.isValid()) {
                date = d;
                time = QTime(0, 0);
            }
        }
    }
    if (!date || !time || date->year() < 1) {
        text.clear();
        return std::nullopt;
    }
    text = QStringLiteral("%1-%2-%3 %4")
               .arg(date->year(), 4, 10, QLatin1Char('0'))
               .arg(date->month(), 2, 10, QLatin1Char('0'))
               .arg(date->day(), 2, 10, QLatin1Char('0'))
               .arg(time->toString(QStringLiteral("hh:mm:ss")));
    return ToTDateTime(*date, *time);
}

QString DateFormatHint(const QLocale& locale) {
    return QStringLiteral("Try ") + locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.timeFormat(QLocale::ShortFormat) + QStringLiteral(" format.");
}

StatementKind ClassifyStatement(QString& editorText) {
    QStringList lines = editorText.split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    while (!lines.isEmpty() && lines.front().trimmed().isEmpty()) lines.removeFirst();
    if (lines.isEmpty()) return StatementKind::Nothing;
    editorText = lines.join(QLatin1Char('\n')).trimmed();
    const QString firstLine = editorText.section(QLatin1Char('\n'), 0, 0);
    const QString word = TextBefore(firstLine, QStringLiteral(" ")).toLower();
    if (word == QLatin1String("drop")) return StatementKind::Nothing;
    if (word == QLatin1String("delete") || word == QLatin1String("update") || word == QLatin1String("insert"))
        return StatementKind::Change;
    return StatementKind::Query;
}

bool DropGuard(const QString& editorText) {
    return editorText.isEmpty() || editorText.toLower().contains(QLatin1String("drop "));
}

QString NormaliseMarks(const QString& editorText) {
    QString t = ReplaceText(editorText, QStringLiteral(" :q"), QStringLiteral(" :Q"));
    t = ReplaceText(t, QStringLiteral("=:q"), QStringLiteral("= :Q"));
    return ReplaceText(t, QStringLiteral("=:Q"), QStringLiteral("= :Q"));
}

QString WorkingText(const QString& editorText) {
    QString t = editorText;
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return t + QLatin1Char(' ');
}

QString PromptParameters(const QString& working, Prompter& prompter, const QString& dateDefault,
                         const QString& mediaLabel) {
    QList<Piece> pieces{{working, false}};
    while (true) {
        QString name;
        bool found = false;
        for (qsizetype k = 0; k < pieces.size() && !found; ++k) {
            const Piece& piece = pieces[k];
            const qsizetype mark = piece.answer ? -1 : piece.text.indexOf(QLatin1String(":Q"));
            if (mark < 0) continue;
            const qsizetype blank = piece.text.indexOf(QLatin1Char(' '), mark);
            name = RemoveChars(piece.text.mid(mark + 2, blank < 0 ? -1 : blank - mark - 2), QStringLiteral("\"*?%"));
            if (piece.text.mid(mark).startsWith(QStringLiteral(":Q") + name, Qt::CaseInsensitive)) {
                found = true;
            } else {
                // A name written with a quote or wildcard inside cannot be matched: the mark stays
                // as it stands for the engine to report.
                const Piece rest{piece.text.mid(mark + 2), false};
                pieces[k] = Piece{piece.text.left(mark + 2), true};
                pieces.insert(k + 1, rest);
            }
        }
        if (!found) break;
        const QString lower = name.toLower();
        const bool isDate = lower.contains(QLatin1String("date")) || lower.contains(QLatin1String("time"));
        QString fallback;
        if (isDate)
            fallback = dateDefault;
        else if (lower == QLatin1String("table"))
            fallback = QStringLiteral("ImageData");
        else if (lower == QLatin1String("media_name"))
            fallback = mediaLabel;
        QString answer = prompter.inputBox(ConsoleParameterCaption, name, fallback).value_or(fallback);
        if (isDate) answer = QLatin1Char('[') + answer + QLatin1Char(']');
        ReplaceInPieces(pieces, QStringLiteral(":Q") + name, answer);
    }
    QString text;
    for (const Piece& piece : pieces) text += piece.text;
    return text;
}

QString DateParameterName(int index) {
    return QStringLiteral("Date_") + QChar(QLatin1Char('A').unicode() + index);
}

NumberedDates NumberDateLiterals(const QString& working) {
    NumberedDates out;
    QString text = working;
    qsizetype from = 0;
    while (true) {
        const qsizetype open = text.indexOf(QLatin1Char('['), from);
        if (open < 0) break;
        const qsizetype close = text.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0) break; // left for the engine to refuse
        if (out.dateTexts.size() == MaxDateLiterals) {
            out.tooMany = true;
            break;
        }
        out.dateTexts << text.mid(open + 1, close - open - 1);
        const QString name = QLatin1Char(':') + DateParameterName(static_cast<int>(out.dateTexts.size()) - 1);
        text.replace(open, close - open + 1, name);
        from = open + name.size();
    }
    out.text = text;
    return out;
}

QString ReformatStatement(const QString& sent) {
    QString t = ReplaceIgnoringCase(sent, QStringLiteral("from"), QStringLiteral("\nfrom"));
    t = ReplaceIgnoringCase(t, QStringLiteral("where"), QStringLiteral("\nwhere"));
    t = ReplaceIgnoringCase(t, QStringLiteral("order by"), QStringLiteral("\norder by"));
    t = ReplaceIgnoringCase(t, QStringLiteral(" and "), QStringLiteral(" and\n"));
    return ReplaceIgnoringCase(t, QStringLiteral(" or "), QStringLiteral(" or\n"));
}

QString InvalidDateText(const QString& dateText) {
    return QStringLiteral("Date ") + dateText + QStringLiteral(" is invalid.");
}
QString UnableToExecuteText(const QString& error) {
    return QStringLiteral("Unable to execute statement: ") + error;
}
QString SuccessfulUpdateText(int rows) {
    return QStringLiteral("Successful Update: ") + QString::number(rows) + QStringLiteral(" entries updated.");
}

} // namespace kestrova
