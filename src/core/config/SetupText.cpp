#include "core/config/SetupText.h"

#include <QStringDecoder>
#include <limits>

namespace kestrova {

namespace {

// One line's bytes: UTF-8 when they are valid UTF-8, otherwise Latin-1.
QString DecodeSetupLine(QByteArrayView bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return QString::fromLatin1(bytes);
}

} // namespace

QString DecodeSetupText(const QByteArray& bytes) {
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF")) rest = rest.sliced(3);
    QString text;
    text.reserve(rest.size());
    // CR and LF never occur inside a multi-byte UTF-8 sequence, so each line can be decoded on its
    // own: a Latin-1 line beside UTF-8 lines garbles only itself.
    qsizetype start = 0;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c != '\n' && c != '\r') continue;
        text += DecodeSetupLine(rest.sliced(start, i - start));
        text += QLatin1Char(c);
        start = i + 1;
    }
    text += DecodeSetupLine(rest.sliced(start));
    return text;
}

void ForEachSetupLine(QStringView text, const std::function<void(QStringView)>& visit) {
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r')) continue;
        visit(text.sliced(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < size && text[i + 1] == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < size) visit(text.sliced(start));
}

QStringView SetupField(QStringView text, QChar delimiter, int n) {
    if (n < 1) return {};
    qsizetype start = 0;
    for (int field = 1; field < n; ++field) {
        const qsizetype next = text.indexOf(delimiter, start);
        if (next < 0) return {};
        start = next + 1;
    }
    const qsizetype end = text.indexOf(delimiter, start);
    return end < 0 ? text.sliced(start) : text.sliced(start, end - start);
}

namespace {
bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
} // namespace

std::optional<std::int64_t> DecimalValue(QStringView text, std::int64_t min, std::int64_t max) {
    qsizetype i = 0, end = text.size();
    while (i < end && IsBlank(text[i])) ++i;
    while (end > i && IsBlank(text[end - 1])) --end;
    bool negative = false;
    if (i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == end) return std::nullopt;
    // Accumulate as a negative number so that the smallest 64-bit value fits.
    std::int64_t value = 0;
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    for (; i < end; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        const int digit = c - u'0';
        if (value < (lowest + digit) / 10) return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == lowest) return std::nullopt;
        value = -value;
    }
    if (value < min || value > max) return std::nullopt;
    return value;
}

std::optional<std::int32_t> Int32Value(QStringView text) {
    const auto v =
        DecimalValue(text, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    if (!v) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

std::optional<std::int64_t> Int64Value(QStringView text) {
    return DecimalValue(text, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
}

} // namespace kestrova
