#include "core/db/DbValues.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cmath>

namespace kestrova {

QString DateTimeText(TDateTime value) {
    // Wall-clock date and time of the value, with no time-zone or daylight-saving adjustment.
    double whole = std::trunc(value);
    qint64 ms = std::llround(std::fabs(value - whole) * MillisecondsPerDay);
    if (ms >= static_cast<qint64>(MillisecondsPerDay)) {
        ms -= static_cast<qint64>(MillisecondsPerDay);
        whole += value < 0 ? -1 : 1;
    }
    const QDate date = DateTimeEpoch().addDays(static_cast<qint64>(whole));
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
    QString text =
        date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + time.toString(QStringLiteral("hh:mm:ss"));
    if (time.msec() != 0) text += QLatin1Char('.') + time.toString(QStringLiteral("zzz"));
    return text;
}

namespace {

std::optional<QDate> ReadDate(const QString& part) {
    static const QRegularExpression re(QStringLiteral("^(\\d{1,4})-(\\d{1,2})-(\\d{1,2})$"));
    const auto m = re.match(part);
    if (!m.hasMatch()) return std::nullopt;
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid()) return std::nullopt;
    return d;
}

std::optional<QTime> ReadTime(const QString& part) {
    if (part.isEmpty()) return QTime(0, 0);
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2})(?:\\.(\\d{1,3}))?)?$"));
    const auto m = re.match(part);
    if (!m.hasMatch()) return std::nullopt;
    int ms = 0;
    if (!m.captured(4).isEmpty()) ms = m.captured(4).leftJustified(3, QLatin1Char('0')).toInt();
    const QTime t(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), ms);
    if (!t.isValid()) return std::nullopt;
    return t;
}

TDateTime Combine(QDate date, QTime time) {
    const double days = static_cast<double>(DateTimeEpoch().daysTo(date));
    const double fraction = time.msecsSinceStartOfDay() / MillisecondsPerDay;
    return days < 0 ? days - fraction : days + fraction;
}

} // namespace

std::optional<TDateTime> ParseDateTimeText(const QString& text) {
    QString t = text.trimmed();
    if (t.size() > 10 && t.at(10) == QLatin1Char('T')) t[10] = QLatin1Char(' ');
    const QStringList parts = t.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > 2) return std::nullopt;
    const bool dateFirst = parts[0].contains(QLatin1Char('-'));
    const QString datePart = dateFirst ? parts[0] : (parts.size() > 1 ? parts[1] : QString());
    const QString timePart = dateFirst ? (parts.size() > 1 ? parts[1] : QString()) : parts[0];
    const auto date = ReadDate(datePart);
    const auto time = ReadTime(timePart);
    if (!date || !time) return std::nullopt;
    return Combine(*date, *time);
}

QString VariantAsString(const QVariant& value) {
    if (value.isNull()) return QString();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDateTime:
        return DateTimeText(ToTDateTime(value.toDateTime()));
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    default:
        return value.toString();
    }
}

qint32 VariantAsInteger(const QVariant& value) {
    if (value.isNull()) return 0;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::Double:
    case QMetaType::Float:
        return static_cast<qint32>(std::lround(value.toDouble()));
    default: {
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        if (ok) return static_cast<qint32>(n);
        const double d = value.toString().trimmed().toDouble(&ok);
        return ok ? static_cast<qint32>(std::lround(d)) : 0;
    }
    }
}

TDateTime VariantAsDateTime(const QVariant& value) {
    if (value.isNull()) return EmptyDateTime;
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return ToTDateTime(value.toDateTime());
    case QMetaType::QDate:
        return Combine(value.toDate(), QTime(0, 0));
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return value.toDouble();
    default:
        return ParseDateTimeText(value.toString()).value_or(EmptyDateTime);
    }
}

bool VariantAsBoolean(const QVariant& value) {
    if (value.isNull()) return false;
    if (value.typeId() == QMetaType::Bool) return value.toBool();
    const QString s = value.toString().trimmed().toLower();
    if (s == QLatin1String("true") || s == QLatin1String("t") || s == QLatin1String("yes")) return true;
    bool ok = false;
    const double n = s.toDouble(&ok);
    return ok && n != 0.0;
}

QVariant DateTimeBindValue(TDateTime value) {
    return DateTimeText(value);
}

QVariant YesNoBindValue(bool value, DbEngine engine) {
    if (engine == DbEngine::PostgreSQL) return QVariant(value);
    return QVariant(value ? 1 : 0);
}

} // namespace kestrova
