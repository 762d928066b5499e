#include "core/util/StringUtil.h"

namespace kestrova {

QString TextBefore(const QString& text, const QString& delimiter) {
    if (delimiter.isEmpty()) return text;
    const qsizetype at = text.indexOf(delimiter);
    return at < 0 ? text : text.left(at);
}

QString TextAfter(const QString& text, const QString& delimiter) {
    if (delimiter.isEmpty()) return QString();
    const qsizetype at = text.indexOf(delimiter);
    return at < 0 ? QString() : text.mid(at + delimiter.size());
}

QString TextBetween(const QString& text, const QString& first, const QString& second) {
    return TextBefore(TextAfter(text, first), second);
}

QString RemoveChar(const QString& text, QChar c) {
    QString out = text;
    out.remove(c);
    return out;
}

QString RemoveChars(const QString& text, const QString& set) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (!set.contains(c)) out.append(c);
    }
    return out;
}

int CountOccurrences(const QString& text, const QString& substring) {
    if (substring.isEmpty()) return 0;
    int count = 0;
    qsizetype from = 0;
    while ((from = text.indexOf(substring, from)) >= 0) {
        ++count;
        from += substring.size();
    }
    return count;
}

QString ReplaceText(const QString& text, const QString& oldText, const QString& newText) {
    if (oldText.isEmpty() || text.isEmpty()) return text;
    QString out = text;
    out.replace(oldText, newText);
    return out;
}

QString DelimitedField(const QString& text, QChar delimiter, int n) {
    if (delimiter.isNull() || text.isEmpty() || n < 1) return QString();
    qsizetype start = 0;
    for (int field = 1; field < n; ++field) {
        const qsizetype at = text.indexOf(delimiter, start);
        if (at < 0) return QString();
        start = at + 1;
    }
    const qsizetype end = text.indexOf(delimiter, start);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

} // namespace kestrova
