#pragma once

#include "core/ports/Clock.h"

#include <QFile>
#include <QObject>
#include <QStringList>

namespace kestrova {

// The station's event log: newest line first, at most 150 lines. Every line is also appended to
// a rotating log file so that IT staff can read it after the window is gone.
class EventLog : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxLines = 150;
    static constexpr int TrimCount = 50;

    explicit EventLog(const Clock& clock, QObject* parent = nullptr);

    void LogEvent(const QString& message);
    const QStringList& lines() const { return m_lines; }
    void clear();

    // Starts writing to path; the file rotates to path.1 .. path.<keep> beyond maxBytes.
    bool setLogFile(const QString& path, qint64 maxBytes = 1024 * 1024, int keep = 5);
    QString logFile() const { return m_path; }

    // "dd/mm hh:nn: +" with the system's date and time separators.
    QString timeStamp(const QDateTime& at) const;

signals:
    void lineAdded(const QString& line);
    void linesRemoved(int count); // from the bottom (the oldest lines)

private:
    void writeToFile(const QString& line);

    const Clock& m_clock;
    QStringList m_lines;
    QString m_path;
    qint64 m_maxBytes = 0;
    int m_keep = 0;
    QChar m_dateSep;
    QChar m_timeSep;
};

// The separators of the system's short date and time formats ("/" and ":" when none is found).
QChar SystemDateSeparator();
QChar SystemTimeSeparator();

} // namespace kestrova
