#include "core/util/EventLog.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace kestrova {

namespace {

QChar firstSeparator(const QString& format, QChar fallback) {
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (!quoted && !c.isLetter() && !c.isSpace()) return c;
    }
    return fallback;
}

} // namespace

QChar SystemDateSeparator() {
    return firstSeparator(QLocale::system().dateFormat(QLocale::ShortFormat), QLatin1Char('/'));
}

QChar SystemTimeSeparator() {
    return firstSeparator(QLocale::system().timeFormat(QLocale::ShortFormat), QLatin1Char(':'));
}

EventLog::EventLog(const Clock& clock, QObject* parent)
    : QObject(parent), m_clock(clock), m_dateSep(SystemDateSeparator()), m_timeSep(SystemTimeSeparator()) {}

QString EventLog::timeStamp(const QDateTime& at) const {
    const QDate d = at.date();
    const QTime t = at.time();
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(d.day()) + m_dateSep + two(d.month()) + QLatin1Char(' ') + two(t.hour()) + m_timeSep + two(t.minute()) +
           m_timeSep + QLatin1String(" +");
}

void EventLog::LogEvent(const QString& message) {
    if (m_lines.size() >= MaxLines) {
        for (int i = 0; i < TrimCount && !m_lines.isEmpty(); ++i) m_lines.removeLast();
        emit linesRemoved(TrimCount);
    }
    const QString line = timeStamp(m_clock.now()) + message;
    m_lines.prepend(line);
    writeToFile(line);
    emit lineAdded(line);
}

void EventLog::clear() {
    const int n = m_lines.size();
    m_lines.clear();
    if (n > 0) emit linesRemoved(n);
}

bool EventLog::setLogFile(const QString& path, qint64 maxBytes, int keep) {
    m_path = path;
    m_maxBytes = maxBytes;
    m_keep = keep;
    if (path.isEmpty()) return true;
    return QDir().mkpath(QFileInfo(path).absolutePath());
}

void EventLog::writeToFile(const QString& line) {
    if (m_path.isEmpty()) return;
    QFileInfo info(m_path);
    if (m_maxBytes > 0 && info.exists() && info.size() >= m_maxBytes) {
        QFile::remove(m_path + QLatin1Char('.') + QString::number(m_keep));
        for (int i = m_keep - 1; i >= 1; --i)
            QFile::rename(m_path + QLatin1Char('.') + QString::number(i),
                          m_path + QLatin1Char('.') + QString::number(i + 1));
        QFile::rename(m_path, m_path + QLatin1String(".1"));
    }
    QFile f(m_path);
    if (!f.open(QIODevice::Append | QIODevice::Text)) return; // the window's log still has the line
    // The file keeps the full date so that lines of different years can be told apart.
    const QString stamp = m_clock.now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss "));
    f.write((stamp + line + QLatin1Char('\n')).toUtf8());
}

} // namespace kestrova
