#include "core/scan/DecodeJournal.h"

#include "core/util/SafePaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

namespace kestrova {

namespace {

const QByteArray Magic = QByteArrayLiteral("kestrova-decode-progress 1");
constexpr qint64 DigestBytes = 64 * 1024;

// The image-set file as it is on disk, as one journal line; empty when it cannot be read.
QByteArray IdentityLine(const QString& imageSet) {
    struct stat st {};
    if (::stat(QFile::encodeName(imageSet).constData(), &st) != 0) return {};
    QFile file(imageSet);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray head = file.read(DigestBytes);
    const qint64 mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return QByteArrayLiteral("image-set ") + QByteArray::number(qint64(st.st_size)) + ' ' +
           QByteArray::number(mtimeNs) + ' ' + QByteArray::number(quint64(st.st_dev)) + ' ' +
           QByteArray::number(quint64(st.st_ino)) + ' ' +
           QCryptographicHash::hash(head, QCryptographicHash::Sha1).toHex();
}

bool InsideAny(const QStringList& dirs, const QString& path) {
    for (const QString& dir : dirs) {
        if (StaysInside(dir, path)) return true;
    }
    return false;
}

} // namespace

QString RemoveWithTemporaries(const QString& path, QStringList& removed) {
    const QFileInfo info(path);
    const QString dir = info.path() + QLatin1Char('/');
    const QString name = info.fileName();
    const QString temporary = name + QLatin1Char('.');
    const QString hidden = QLatin1Char('.') + name + QLatin1Char('.');
    const QStringList entries = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if ((entry.startsWith(temporary) || entry.startsWith(hidden)) && QFile::remove(dir + entry))
            removed << dir + entry;
    }
    if (!QFileInfo::exists(path) && !info.isSymLink()) return {};
    QFile file(path);
    if (!file.remove()) return file.errorString();
    removed << path;
    return {};
}

QString DecodeJournal::open(const QString& imageSet, const QStringList& writableDirs) {
    m_finished.clear();
    m_recovery = {};
    m_error.clear();
    if (m_file.isOpen()) m_file.close();
    const QByteArray identity = IdentityLine(imageSet);
    if (identity.isEmpty()) return QStringLiteral("the image-set file cannot be read");
    m_file.setFileName(pathFor(imageSet));

    QMap<int, Begun> begun;
    bool same = false;
    if (m_file.open(QIODevice::ReadOnly)) {
        QByteArray text = m_file.readAll();
        m_file.close();
        // A line cut short by a kill is dropped, so that appending starts on a line of its own.
        const qsizetype end = text.lastIndexOf('\n') + 1;
        const bool cut = end < text.size();
        if (cut) text.truncate(end);
        const QList<QByteArray> lines = text.split('\n');
        same = lines.size() >= 2 && lines[0] == Magic && lines[1] == identity;
        if (same) {
            if (cut && !QFile::resize(m_file.fileName(), end)) return QStringLiteral("it cannot be shortened");
            read(text, begun);
        }
    }
    if (!same) {
        // A fresh batch: the journal of an earlier one is replaced.
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            return m_file.errorString();
        const QByteArray header = Magic + '\n' + identity + '\n';
        if (m_file.write(header) != header.size()) {
            const QString error = m_file.errorString();
            m_file.close();
            return error;
        }
        return {};
    }
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) return m_file.errorString();
    recover(begun, writableDirs);
    return m_error;
}

void DecodeJournal::read(const QByteArray& text, QMap<int, Begun>& begun) {
    int current = -1;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const qsizetype first = line.indexOf(QLatin1Char(' '));
        if (first < 0) continue;
        const QString word = line.left(first);
        const qsizetype second = line.indexOf(QLatin1Char(' '), first + 1);
        bool ok = false;
        const int page = line.mid(first + 1, second < 0 ? -1 : second - first - 1).toInt(&ok) - 1;
        if (!ok || page < 0) continue;
        const QString rest = second < 0 ? QString() : line.mid(second + 1);
        if (word == QLatin1String("begin")) {
            begun[page] = Begun{rest.toInt(), {}};
            current = page;
        } else if (word == QLatin1String("file") && page == current && begun.contains(page)) {
            begun[page].files << rest;
        } else if (word == QLatin1String("done")) {
            m_finished[page] = rest.toInt();
            begun.remove(page);
        } else if (word == QLatin1String("again") || word == QLatin1String("cleared")) {
            m_finished.remove(page);
            begun.remove(page);
        }
    }
}

void DecodeJournal::recover(const QMap<int, Begun>& begun, const QStringList& writableDirs) {
    for (auto it = begun.begin(); it != begun.end(); ++it) {
        const QStringList& files = it.value().files;
        bool allThere = !files.isEmpty();
        for (const QString& file : files) allThere = allThere && QFileInfo(file).isFile();
        if (allThere) {
            // Killed after its last file was in place: the page is finished as it stands.
            m_finished[it.key()] = it.value().lengthCm;
            m_recovery.completed << it.key();
            append(QStringLiteral("done %1 %2\n").arg(it.key() + 1).arg(it.value().lengthCm));
            continue;
        }
        bool cleared = true;
        for (const QString& file : files) {
            if (!InsideAny(writableDirs, file)) {
                m_recovery.refused << file;
                continue;
            }
            const QString error = RemoveWithTemporaries(file, m_recovery.removed);
            if (!error.isEmpty()) {
                m_recovery.unremoved << file + QStringLiteral(": ") + error;
                cleared = false;
            }
        }
        // A file that stayed keeps the page begun, so that the next run tries to remove it again.
        if (cleared) append(QStringLiteral("cleared %1\n").arg(it.key() + 1));
    }
}

void DecodeJournal::begin(int page, int lengthCm, const QStringList& files) {
    QString lines = QStringLiteral("begin %1 %2\n").arg(page + 1).arg(lengthCm);
    for (const QString& file : files) lines += QStringLiteral("file %1 %2\n").arg(page + 1).arg(file);
    append(lines);
}

void DecodeJournal::done(int page, int lengthCm) {
    append(QStringLiteral("done %1 %2\n").arg(page + 1).arg(lengthCm));
}

void DecodeJournal::again(int page) {
    append(QStringLiteral("again %1\n").arg(page + 1));
}

bool DecodeJournal::append(const QString& lines) {
    if (!m_file.isOpen()) return false;
    // One write per record: a kill leaves at most its last line cut short.
    const QByteArray bytes = lines.toUtf8();
    if (m_file.write(bytes) == bytes.size()) return true;
    if (m_error.isEmpty()) m_error = m_file.errorString();
    m_file.close();
    return false;
}

} // namespace kestrova
