#include "core/util/DateParse.h"

#include "core/util/StringUtil.h"

#include <QStringList>
#include <limits>
#include <stdexcept>

namespace kestrova {
namespace {

constexpr qsizetype ToEnd = std::numeric_limits<int>::max();

// Characters index.. (1-based) of s, count of them; an index below 1 starts at the first.
QString Copy(const QString& s, qsizetype index, qsizetype count) {
    if (index < 1) index = 1;
    if (count <= 0 || index > s.size()) return QString();
    return s.mid(index - 1, count);
}

int NumberOr0(const QString& s) {
    bool ok = false;
    const int v = s.trimmed().toInt(&ok);
    return ok ? v : 0;
}

bool ContainsDigit(const QString& s) {
    for (QChar c : s) {
        if (c.isDigit()) return true;
    }
    return false;
}

// Reads the time of day out of s (which is upper case and trimmed) and leaves only the date text
// in s. Returns the time as a fraction of a day, 0 when it cannot be read.
TDateTime TakeTimeOfDay(QString& s) {
    const qsizetype p = s.indexOf(QLatin1Char(':')) + 1;
    if (p < 1) return 0.0;
    QString t = Copy(s, p - 2, ToEnd);
    const QString lower = t.toLower();
    int offset = 0;
    if (lower.contains(QLatin1String("am"))) {
        offset = -12;
    } else if (lower.contains(QLatin1String("pm"))) {
        offset = 12;
    }
    const qsizetype q = t.indexOf(QLatin1Char(' ')) + 1;
    const QString before = Copy(s, 1, p - 3);
    // The text after the time token (which ends at the first blank after the colon).
    const qsizetype blank = s.indexOf(QLatin1Char(' '), p);
    const QString after = blank < 0 ? QString() : s.mid(blank + 1).trimmed();
    if (ContainsDigit(before.trimmed())) {
        // The date stands before the time. A year after the time ("NOV 17 14:30:00 2009 GMT", as
        // certificate tools print it) is kept with the date.
        s = !after.isEmpty() && after.at(0).isDigit() ? before + after : before;
    } else {
        // The time stands first: keep what came before it (a weekday, say) and what follows the
        // time token, without an AM/PM marker.
        QString rest = after;
        if (rest == QLatin1String("AM") || rest == QLatin1String("PM")) {
            rest.clear();
        } else if (rest.startsWith(QLatin1String("AM ")) || rest.startsWith(QLatin1String("PM "))) {
            rest = rest.mid(3);
        }
        s = (before + QLatin1Char(' ') + rest).trimmed();
    }
    if (q > 0) t = Copy(t, 1, q - 1);
    t = t.trimmed();

    int hour = NumberOr0(Copy(t, 1, 2));
    int minute = NumberOr0(Copy(t, 4, 2));
    int second = NumberOr0(Copy(t, 7, 2));
    int msec = NumberOr0(Copy(t, 10, 3));
    if (offset == -12) {
        offset = 0;
        if (hour == 12) hour = 0;
    } else if (offset == 12) {
        if (hour > 12) offset = 0;
        if (hour == 12) hour = 0;
    }
    hour += offset;
    if (hour < 0 || hour > 23) hour = 0;
    if (minute < 0 || minute > 59) minute = 0;
    if (second < 0 || second > 59) second = 0;
    if (msec < 0 || msec > 999) msec = 0;
    return EncodeTime(hour, minute, second, msec);
}

// "yyyy-mm-dd..." becomes the same date in the locale's numeric order.
void RewriteIsoDate(QString& s, const QLocale& locale) {
    bool ok = false;
    const int year = Copy(s, 1, 4).toInt(&ok);
    if (Copy(s, 5, 1) != QLatin1String("-") || !ok || year < 1 || year > 2999) return;
    const QString day = Copy(s, 9, 2);
    const QString month = Copy(s, 6, 2);
    const QString yearText = Copy(s, 1, 4);
    QStringList parts;
    for (QChar c : ShortDateOrder(locale)) {
        parts << (c == QLatin1Char('d') ? day : c == QLatin1Char('M') ? month : yearText);
    }
    s = parts.join(QLatin1Char('/'));
}

void ReplaceAll(QString& s, std::initializer_list<const char*> olds, const char* replacement) {
    for (const char* old : olds) s = ReplaceText(s, QLatin1String(old), QLatin1String(replacement));
}

void Normalise(QString& s) {
    ReplaceAll(s, {" SJ", " NJ", " RJ", " TJ"}, " J");
    ReplaceAll(s, {" SF", " NF", " RF", " TF"}, " F");
    ReplaceAll(s, {" SM", " NM", " RM", " TM"}, " M");
    ReplaceAll(s, {" SD", " ND", " RD", " TD"}, " D");
    ReplaceAll(s, {" SO"}, " O");
    ReplaceAll(s, {" NOC"}, " OC");
    ReplaceAll(s, {" RO", " TO"}, " O");
    ReplaceAll(s, {" SN", " NN", " RN", " TN"}, " N");
    ReplaceAll(s, {" SAP", " NAP", " RAP", " TAP"}, " AP");
    ReplaceAll(s, {" SAU", " NAU", " RAU", " TAU"}, " AU");
    ReplaceAll(s,
               {"MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY", "SUNDAY", "THUR", "MON", "TUE",
                "WED", "THU", "FRI", "SAT", "SUN"},
               "");
    ReplaceAll(s, {"RD", "TH", "ND", "ST"}, "");
    ReplaceAll(s, {","}, " ");
    ReplaceAll(s, {".", "-"}, "/");
    ReplaceAll(s, {"OF", "\t"}, "");
    ReplaceAll(s, {"\r"}, " ");
    ReplaceAll(s, {"\n"}, "");
    while (s.contains(QLatin1String("  "))) s = ReplaceText(s, QLatin1String("  "), QLatin1String(" "));
    s = s.trimmed().toUpper();
}

// Month number from a month word, 0 when its first letter names no month.
int MonthOfWord(const QString& m) {
    switch (m.at(0).unicode()) {
    case 'A':
        return m.at(1) == QLatin1Char('P') ? 4 : 8;
    case 'D':
        return 12;
    case 'F':
        return 2;
    case 'J':
        if (m.at(1) == QLatin1Char('A')) return 1;
        return m.at(2) == QLatin1Char('N') ? 6 : 7;
    case 'M':
        return m.at(2) == QLatin1Char('R') ? 3 : 5;
    case 'N':
        return 11;
    case 'O':
        return 10;
    case 'S':
        return 9;
    default:
        return 0;
    }
}

TDateTime CalendarDate(int year, int month, int day) {
    if (year > 9999) throw std::invalid_argument("Invalid argument to date encode");
    return EncodeDate(year, month, day);
}

// The first character of the short date format that is neither a letter nor a blank.
QChar DateSeparatorOf(const QLocale& locale) {
    bool quoted = false;
    for (QChar c : locale.dateFormat(QLocale::ShortFormat)) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && !c.isLetter() && !c.isSpace() && c != QLatin1Char('\'')) return c;
    }
    return QChar();
}

} // namespace

QString ShortDateOrder(const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString order;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (quoted) continue;
        if ((c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) && !order.contains(c)) {
            order.append(c);
        }
    }
    return order.size() == 3 ? order : QStringLiteral("Mdy");
}

bool ReadShortDate(const QString& text, const QLocale& locale, TDateTime& result) {
    QString s = text.trimmed();
    const QChar separator = DateSeparatorOf(locale);
    if (!separator.isNull()) s.replace(separator, QLatin1Char('/'));
    const QStringList parts = s.split(QLatin1Char('/'));
    if (parts.size() != 3) return false;
    const QString order = ShortDateOrder(locale);
    int day = 0, month = 0, year = 0;
    for (int i = 0; i < 3; ++i) {
        const QString part = parts[i].trimmed();
        bool ok = !part.isEmpty();
        for (QChar c : part) ok = ok && c.isDigit();
        const int value = ok ? part.toInt(&ok) : 0;
        if (!ok) return false;
        if (order[i] == QLatin1Char('d')) {
            day = value;
        } else if (order[i] == QLatin1Char('M')) {
            month = value;
        } else {
            year = part.size() <= 2 ? (value < 50 ? 2000 + value : 1900 + value) : value;
        }
    }
    const QDate date(year, month, day);
    if (!date.isValid() || year > 9999) return false;
    result = static_cast<double>(DateTimeEpoch().daysTo(date));
    return true;
}

TDateTime ParseDateText(const QString& text, const QLocale& locale) {
    if (text.isEmpty()) return 0.0;
    QString s = text.trimmed().toUpper();
    const TDateTime t = TakeTimeOfDay(s);
    RewriteIsoDate(s, locale);
    Normalise(s);

    if (s.contains(QLatin1Char('/'))) {
        TDateTime date = 0.0;
        if (ReadShortDate(s, locale, date)) return date + t;
        s = ReplaceText(s, QStringLiteral("/"), QStringLiteral(" "));
    }

    const QString first = TextBefore(s, QStringLiteral(" "));
    bool firstIsNumber = false;
    first.toInt(&firstIsNumber);
    QString month;
    QString yearText;
    int day = 0;
    int year = 0;
    if (firstIsNumber) {
        day = NumberOr0(first);
        month = DelimitedField(s, QLatin1Char(' '), 2);
        yearText = TextAfter(TextAfter(s, QStringLiteral(" ")), QStringLiteral(" "));
    } else {
        month = first;
        const QString dayText = DelimitedField(s, QLatin1Char(' '), 2);
        day = NumberOr0(dayText);
        yearText = TextAfter(s, dayText + QLatin1Char(' '));
    }
    if (month.size() < 3) return 0.0;
    const int monthNumber = MonthOfWord(month);
    if (monthNumber == 0) {
        TDateTime date = 0.0;
        return ReadShortDate(s, locale, date) ? date : 0.0;
    }
    bool yearOk = false;
    year = TextBefore(yearText, QStringLiteral(" ")).toInt(&yearOk);
    if (!yearOk) return 0.0;
    const int limit = firstIsNumber ? 1900 : 1880;
    if (year < limit) year += year < 10 ? 2000 : 1900;
    return CalendarDate(year, monthNumber, day) + t;
}

} // namespace kestrova
