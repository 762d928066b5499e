#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <optional>

namespace kestrova {

// The text of a setup file, decoded line by line: a line that is valid UTF-8 is read as UTF-8,
// any other line as Latin-1 (a leading byte-order mark is dropped). The configuration program has
// written both over the years, and a file edited by hand may hold both.
QString DecodeSetupText(const QByteArray& bytes);

// Calls visit for every line of text. A line ends at LF, CR LF or a lone CR; the last line needs
// no line end. The views point into text.
void ForEachSetupLine(QStringView text, const std::function<void(QStringView)>& visit);

// The n-th field (from 1) of text split at delimiter; empty when there are fewer fields.
QStringView SetupField(QStringView text, QChar delimiter, int n);

// A decimal integer: optional blanks, an optional sign, ASCII digits, optional blanks. Nothing
// when the text is not such a number or lies outside [min, max].
std::optional<std::int64_t> DecimalValue(QStringView text, std::int64_t min, std::int64_t max);
std::optional<std::int32_t> Int32Value(QStringView text);
std::optional<std::int64_t> Int64Value(QStringView text);

} // namespace kestrova
