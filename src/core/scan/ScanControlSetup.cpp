#include "core/scan/ScanControlSetup.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace kestrova {

namespace {

// The section a "[name]" line starts, or nothing when the line is not a section line.
bool SectionOf(const QString& line, QString& section) {
    QString t = line.trimmed();
    // A comment may follow the section's name ("[sane]   # what the scanner dialogs write").
    if (t.startsWith(QLatin1Char('['))) t = t.section(QLatin1Char('#'), 0, 0).trimmed();
    if (!t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']'))) return false;
    section = t.mid(1, t.size() - 2).trimmed();
    return true;
}

QString Qualified(const QString& section, const QString& key) {
    return section.isEmpty() ? key : section + QLatin1Char('/') + key;
}

} // namespace

bool ScannerConf::load(const QString& path) {
    m_path = path;
    m_error.clear();
    m_lines.clear();
    QFile file(path);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        m_error = QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    QTextStream in(&file);
    while (!in.atEnd()) m_lines.append(in.readLine());
    return true;
}

bool ScannerConf::save() {
    m_error.clear();
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        m_error = QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(m_path), file.errorString());
        return false;
    }
    QTextStream out(&file);
    for (const QString& line : m_lines) out << line << '\n';
    out.flush();
    if (!file.commit()) {
        m_error = QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(m_path), file.errorString());
        return false;
    }
    return true;
}

QString ScannerConf::keyOf(const QString& line, QString& section) {
    if (SectionOf(line, section)) return {};
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char('#')) || t.startsWith(QLatin1Char(';'))) return {};
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0) return {};
    return Qualified(section, t.left(eq).trimmed().toLower());
}

int ScannerConf::find(const QString& key) const {
    QString section;
    const QString wanted = key.toLower();
    for (int i = 0; i < m_lines.size(); ++i) {
        if (keyOf(m_lines[i], section) == wanted) return i;
    }
    return -1;
}

QString ScannerConf::value(const QString& key, const QString& fallback) const {
    const int i = find(key);
    if (i < 0) return fallback;
    const QString& line = m_lines[i];
    QString v = line.mid(line.indexOf(QLatin1Char('=')) + 1);
    // A comment may follow the value after " #".
    const qsizetype hash = v.indexOf(QStringLiteral(" #"));
    if (hash >= 0) v.truncate(hash);
    return v.trimmed();
}

void ScannerConf::setValue(const QString& key, const QString& value) {
    const qsizetype slash = key.indexOf(QLatin1Char('/'));
    const QString section = slash < 0 ? QString() : key.left(slash);
    const QString name = slash < 0 ? key : key.mid(slash + 1);
    const QString line = name + QStringLiteral(" = ") + value;
    const int i = find(key);
    if (i >= 0) {
        m_lines[i] = line;
        return;
    }
    // New key: at the end of its section (keys without a section go before the first section).
    QString current;
    int insertAt = -1;
    bool inSection = section.isEmpty();
    for (int j = 0; j < m_lines.size(); ++j) {
        QString s;
        if (SectionOf(m_lines[j], s)) {
            if (inSection) {
                insertAt = j;
                break;
            }
            inSection = s.compare(section, Qt::CaseInsensitive) == 0;
        }
    }
    if (insertAt < 0 && !inSection) {
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_lines.append(line);
        return;
    }
    if (insertAt < 0) insertAt = m_lines.size();
    // Keep blank lines that separate sections after the new key.
    while (insertAt > 0 && m_lines[insertAt - 1].trimmed().isEmpty()) --insertAt;
    m_lines.insert(insertAt, line);
}

QString ScannerConf::source() const {
    return value(QStringLiteral("source")).compare(QLatin1String("folder"), Qt::CaseInsensitive) == 0
               ? QStringLiteral("folder")
               : QStringLiteral("sane");
}

QString ScannerConf::feederFolder(const QString& programDir) const {
    QString folder = value(QStringLiteral("folder"), QStringLiteral("feeder"));
    if (QDir::isRelativePath(folder)) folder = QDir(programDir).filePath(folder);
    folder = QDir::cleanPath(folder);
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

} // namespace kestrova
