#pragma once

#include <QChar>
#include <QString>

// Small text functions shared by the whole station. All are pure and case-sensitive.
namespace kestrova {

// Text before the first occurrence of delimiter; the whole text when it is absent (or empty).
QString TextBefore(const QString& text, const QString& delimiter);
// Text after the first occurrence of delimiter; empty when it is absent (or empty).
QString TextAfter(const QString& text, const QString& delimiter);
// TextBefore(TextAfter(text, first), second).
QString TextBetween(const QString& text, const QString& first, const QString& second);

// Text without any occurrence of c.
QString RemoveChar(const QString& text, QChar c);
// Text without any character that occurs in set.
QString RemoveChars(const QString& text, const QString& set);

// Non-overlapping occurrences counted from the left; 0 for an empty substring.
int CountOccurrences(const QString& text, const QString& substring);

// Every occurrence of oldText, scanning from the left without re-scanning inserted text, replaced
// by newText. An empty oldText leaves the text as it is.
QString ReplaceText(const QString& text, const QString& oldText, const QString& newText);

// The n-th field (from 1) of text split at delimiter: field 1 is TextBefore(text, delimiter),
// field n > 1 the text after the (n-1)-th delimiter up to the next one. Empty when delimiter is
// the zero character, the text is empty, n < 1 or there are fewer than n fields.
QString DelimitedField(const QString& text, QChar delimiter, int n);

} // namespace kestrova
