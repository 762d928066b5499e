#include "core/util/FileListing.h"

#include <QDir>
#include <QFileInfo>

namespace kestrova {
namespace {

// 100 ns units from 1 January 1601 to 1 January 1970.
constexpr qint64 FileTimeOfUnixEpoch = 116444736000000000LL;

QChar TimeSeparatorOf(const QLocale& locale) {
    bool quoted = false;
    for (QChar c : locale.timeFormat(QLocale::ShortFormat)) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (!quoted && !c.isLetter() && !c.isSpace()) return c;
    }
    return QLatin1Char(':');
}

QString DateFormatOf(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString TimeFormatOf(const QLocale& locale) {
    return QLatin1String("hh") + TimeSeparatorOf(locale) + QLatin1String("mm");
}

bool GlobMatch(const QString& name, const QString& wildcard) {
    qsizetype n = 0, w = 0, starW = -1, starN = 0;
    while (n < name.size()) {
        if (w < wildcard.size() && wildcard[w] == QLatin1Char('*')) {
            starW = w++;
            starN = n;
        } else if (w < wildcard.size() &&
                   (wildcard[w] == QLatin1Char('?') || wildcard[w].toCaseFolded() == name[n].toCaseFolded())) {
            ++w;
            ++n;
        } else if (starW >= 0) {
            w = starW + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (w < wildcard.size() && wildcard[w] == QLatin1Char('*')) ++w;
    return w == wildcard.size();
}

int AttributesOf(const QFileInfo& info) {
    int attributes = info.isDir() ? AttrDirectory : AttrArchive;
    if (info.fileName().startsWith(QLatin1Char('.'))) attributes |= AttrHidden;
    if (!(info.permissions() & QFileDevice::WriteOwner)) attributes |= AttrReadOnly;
    return attributes;
}

bool Listed(int attributes, int filter) {
    if (filter == 0) return !(attributes & (AttrDirectory | AttrVolumeLabel));
    if (filter == AttrAny) return true;
    return (attributes & filter) == filter;
}

QString TimeField(const QDateTime& moment, const QLocale& locale) {
    return FormatListingTime(FileTimeToLocal(ToFileTime(moment)), locale);
}

QString EntryText(const QFileInfo& info, int attributes, int flags, const QLocale& locale) {
    QString text;
    auto field = [&text](const QString& value) { text += value + QLatin1Char('\n'); };
    if (flags & ListShortName) field(info.fileName());
    if (flags & ListName) field(info.fileName());
    if (flags & ListWriteTime) field(TimeField(info.lastModified(), locale));
    if (flags & ListCreationTime) {
        const QDateTime birth = info.birthTime();
        field(TimeField(birth.isValid() ? birth : info.lastModified(), locale));
    }
    if (flags & ListAccessTime) field(TimeField(info.lastRead(), locale));
    if (flags & ListSize) field(QString::number(info.isDir() ? 0 : info.size()));
    if (flags & ListAttributes) field(QString::number(attributes));
    return text + QLatin1Char('\r');
}

} // namespace

bool MatchesWildcard(const QString& name, const QString& wildcard) {
    if (wildcard == QLatin1String("*") || wildcard == QLatin1String("*.*")) return true;
    if (GlobMatch(name, wildcard)) return true;
    // A trailing ".*" also matches names without an extension.
    return wildcard.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.')) &&
           GlobMatch(name, wildcard.chopped(2));
}

QString ListFiles(const QString& pattern, int filter, int flags, const QLocale& locale) {
    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('/'));
    const QString directory = slash < 0 ? QStringLiteral(".") : pattern.left(slash + 1);
    const QString wildcard = pattern.mid(slash + 1);
    int count = 0;
    QString entries;
    if (!wildcard.isEmpty()) {
        const QDir dir(directory);
        const QFileInfoList infos = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                                      QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo& info : infos) {
            if (!MatchesWildcard(info.fileName(), wildcard)) continue;
            const int attributes = AttributesOf(info);
            if (!Listed(attributes, filter)) continue;
            ++count;
            entries += EntryText(info, attributes, flags, locale);
        }
    }
    return QString::number(count) + QLatin1Char('\r') + entries;
}

QList<QStringList> ListingEntries(const QString& listing) {
    QList<QStringList> result;
    QStringList parts = listing.split(QLatin1Char('\r'));
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (parts[i].isEmpty()) continue;
        QStringList fields = parts[i].split(QLatin1Char('\n'));
        if (fields.last().isEmpty()) fields.removeLast();
        result << fields;
    }
    return result;
}

int ListingCount(const QString& listing) {
    bool ok = false;
    const int count = listing.section(QLatin1Char('\r'), 0, 0).toInt(&ok);
    return ok ? count : 0;
}

qint64 ToFileTime(const QDateTime& moment) {
    return moment.toMSecsSinceEpoch() * 10000 + FileTimeOfUnixEpoch;
}

TDateTime FileTimeToLocal(qint64 fileTime, const QTimeZone& zone) {
    const qint64 units = fileTime - FileTimeOfUnixEpoch;
    const qint64 ms = units >= 0 ? units / 10000 : -((-units + 9999) / 10000);
    QDateTime moment = QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc());
    if (zone.isValid()) moment = moment.toTimeZone(zone);
    return ToTDateTime(moment.date(), moment.time());
}

QString ListingTimeFormat(const QLocale& locale) {
    return DateFormatOf(locale) + QLatin1Char(' ') + TimeFormatOf(locale);
}

QString FormatListingTime(TDateTime value, const QLocale& locale) {
    return locale.toString(DateOf(value), DateFormatOf(locale)) + QLatin1Char(' ') +
           locale.toString(TimeOf(value), TimeFormatOf(locale));
}

TDateTime ReadListingTime(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    const qsizetype space = trimmed.lastIndexOf(QLatin1Char(' '));
    if (space < 0) return EmptyDateTime;
    const QDate date = locale.toDate(trimmed.left(space), DateFormatOf(locale));
    const QTime time = locale.toTime(trimmed.mid(space + 1), TimeFormatOf(locale));
    if (!date.isValid() || !time.isValid()) return EmptyDateTime;
    return ToTDateTime(date, time);
}

} // namespace kestrova
