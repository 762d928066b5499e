#include "core/store/ConvertJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace kestrova {

namespace {

const QString EntryName = QStringLiteral(".kestrova-convert");
const QString KeptName = QStringLiteral(".kestrova-kept");

// Fields are written one per line as "key=value"; values never hold a line break (the station's
// paths and names refuse control characters).
QByteArray EntryText(const ConvertEntry& e) {
    QString text;
    const auto put = [&text](const char* key, const QString& value) {
        text += QLatin1String(key) + QLatin1Char('=') + value + QLatin1Char('\n');
    };
    put("decoded", e.decoded);
    put("store", e.store);
    put("storeTemp", e.storeTemp);
    put("local", e.local);
    put("localTemp", e.localTemp);
    put("ReqID", e.ReqID);
    put("DocDefn", e.DocDefn);
    put("sequence", QString::number(e.sequence));
    put("end", QString());
    return text.toUtf8();
}

std::optional<QByteArray> ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

QString ErrnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QString ReplaceFileContents(const QString& path, const QByteArray& bytes) {
    const QString temp = path + QStringLiteral(".new");
    QFile file(temp);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return file.errorString();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString error = file.errorString();
        file.close();
        QFile::remove(temp);
        return error;
    }
    file.close();
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        const QString error = ErrnoText();
        QFile::remove(temp);
        return error;
    }
    return {};
}

bool RemoveWithWriterLeftovers(const QString& path) {
    if (path.isEmpty()) return true;
    const QFileInfo info(path);
    bool removed = !QFileInfo::exists(path) || QFile::remove(path);
    const QDir dir = info.dir();
    const QStringList leftovers = dir.entryList({QLatin1Char('.') + info.fileName() + QStringLiteral(".*.tmp")},
                                                QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : leftovers) removed = QFile::remove(dir.filePath(name)) && removed;
    return removed;
}

KeptFile IdentityOf(const QString& path) {
    KeptFile file{path, -1, -1};
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return file;
    file.size = st.st_size;
    file.modifiedMs = qint64{st.st_mtim.tv_sec} * 1000 + st.st_mtim.tv_nsec / 1000000;
    return file;
}

ConvertJournal::ConvertJournal(const QString& localDir)
    : m_entryPath(localDir + EntryName), m_keptPath(localDir + KeptName) {}

QString ConvertJournal::begin(const ConvertEntry& entry) {
    // Written over an emptied file: a write cut short lacks its "end" line and names nothing, and
    // a cut write can only happen before the page's first copy. Rewriting one file in place also
    // spares the file system a new file for every page.
    QFile file(m_entryPath);
    const QByteArray bytes = EntryText(entry);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return file.errorString();
    if (file.write(bytes) != bytes.size() || !file.flush()) return file.errorString();
    return {};
}

std::optional<ConvertEntry> ConvertJournal::pending() const {
    const std::optional<QByteArray> bytes = ReadAll(m_entryPath);
    if (!bytes) return std::nullopt;
    ConvertEntry e;
    bool complete = false;
    for (const QString& line : QString::fromUtf8(*bytes).split(QLatin1Char('\n'))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QString key = line.left(eq);
        const QString value = line.mid(eq + 1);
        if (key == QLatin1String("decoded"))
            e.decoded = value;
        else if (key == QLatin1String("store"))
            e.store = value;
        else if (key == QLatin1String("storeTemp"))
            e.storeTemp = value;
        else if (key == QLatin1String("local"))
            e.local = value;
        else if (key == QLatin1String("localTemp"))
            e.localTemp = value;
        else if (key == QLatin1String("ReqID"))
            e.ReqID = value;
        else if (key == QLatin1String("DocDefn"))
            e.DocDefn = value;
        else if (key == QLatin1String("sequence"))
            e.sequence = value.toInt();
        else if (key == QLatin1String("end"))
            complete = true;
    }
    // A journal is only ever replaced whole, so an incomplete one was written by hand or damaged:
    // it names nothing this pass can trust.
    if (!complete || e.decoded.isEmpty()) return std::nullopt;
    return e;
}

QString ConvertJournal::clear() {
    if (!QFileInfo::exists(m_entryPath)) return {};
    QFile file(m_entryPath);
    if (file.resize(0)) return {};
    return QStringLiteral("cannot empty ") + m_entryPath + QStringLiteral(": ") + file.errorString();
}

QString ConvertJournal::close() {
    if (!QFileInfo::exists(m_entryPath) || QFile::remove(m_entryPath)) return {};
    return QStringLiteral("cannot remove ") + m_entryPath;
}

QList<KeptFile> ConvertJournal::kept() const {
    // Read once; this journal is the only writer while its pass holds the station's lock.
    if (m_kept) return *m_kept;
    QList<KeptFile> files;
    const std::optional<QByteArray> bytes = ReadAll(m_keptPath);
    for (const QString& line :
         QString::fromUtf8(bytes.value_or(QByteArray())).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 3) continue;
        files.append({fields[0], fields[1].toLongLong(), fields[2].toLongLong()});
    }
    m_kept = files;
    return files;
}

bool ConvertJournal::isKept(const QString& path) const {
    for (const KeptFile& file : kept()) {
        if (file.path != path) continue;
        const KeptFile now = IdentityOf(path);
        return file.size == now.size && file.modifiedMs == now.modifiedMs;
    }
    return false;
}

QString ConvertJournal::keep(const QString& path) {
    QList<KeptFile> files = kept();
    files.removeIf([&path](const KeptFile& f) { return f.path == path; });
    files.append(IdentityOf(path));
    return writeKept(files);
}

QString ConvertJournal::forget(const QString& path) {
    QList<KeptFile> files = kept();
    if (files.removeIf([&path](const KeptFile& f) { return f.path == path; }) == 0) return {};
    return writeKept(files);
}

QString ConvertJournal::writeKept(const QList<KeptFile>& files) {
    m_kept = files;
    if (files.isEmpty())
        return QFileInfo::exists(m_keptPath) && !QFile::remove(m_keptPath)
                   ? QStringLiteral("cannot remove ") + m_keptPath
                   : QString();
    QString text;
    for (const KeptFile& f : files)
        text += f.path + QLatin1Char('\t') + QString::number(f.size) + QLatin1Char('\t') +
                QString::number(f.modifiedMs) + QLatin1Char('\n');
    return ReplaceFileContents(m_keptPath, text.toUtf8());
}

} // namespace kestrova
