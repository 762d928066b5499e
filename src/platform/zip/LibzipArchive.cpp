#include "platform/zip/LibzipArchive.h"

#include "platform/zip/DeflatedSource.h"

#include <QFile>
#include <QFileInfo>

#include <zip.h>

#include <algorithm>

namespace kestrova {

namespace {

constexpr qsizetype ReadChunk = 64 * 1024;
constexpr qsizetype MaxReserve = 64 * 1024 * 1024;

QString LibzipMessage(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    QString message = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return message;
}

bool ValidName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

} // namespace

LibzipArchive::LibzipArchive(QString path, zip* archive) : m_path(std::move(path)), m_zip(archive) {}

LibzipArchive::~LibzipArchive() {
    // Changes not committed are dropped.
    if (m_zip) zip_discard(m_zip);
}

zip* LibzipArchive::openArchive(const QString& path, QString& error) {
    // A file of no bytes holds nothing to lose: it is taken as an empty archive, as a missing file
    // is, rather than blocking every later change with "not a zip archive".
    const QFileInfo info(path);
    const int flags = info.isFile() && info.size() == 0 ? ZIP_CREATE | ZIP_TRUNCATE : ZIP_CREATE;
    int code = 0;
    zip* archive = zip_open(QFile::encodeName(path).constData(), flags, &code);
    if (!archive) error = QStringLiteral("Cannot open the zip file \"%1\": %2").arg(path, LibzipMessage(code));
    return archive;
}

Status LibzipArchive::failure(const QString& what) const {
    return Status::failure(
        QStringLiteral("%1 in the zip file \"%2\": %3").arg(what, m_path, QString::fromUtf8(zip_strerror(m_zip))));
}

Status LibzipArchive::closedFailure() const {
    return Status::failure(QStringLiteral("The zip file \"%1\" is closed: %2").arg(m_path, m_closedReason));
}

QStringList LibzipArchive::entryNames() const {
    QStringList names;
    if (!m_zip) return names;
    const zip_int64_t total = zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < total; ++i) {
        // Deleted entries keep their index until the commit and have no name.
        if (const char* name = zip_get_name(m_zip, static_cast<zip_uint64_t>(i), 0))
            names.append(QString::fromUtf8(name));
    }
    return names;
}

int LibzipArchive::count() const {
    return static_cast<int>(entryNames().size());
}

qint64 LibzipArchive::find(const QString& name) const {
    if (!m_zip) return -1;
    qint64 caseless = -1;
    const zip_int64_t total = zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < total; ++i) {
        const char* raw = zip_get_name(m_zip, static_cast<zip_uint64_t>(i), 0);
        if (!raw) continue;
        const QString entry = QString::fromUtf8(raw);
        if (entry == name) return i;
        if (caseless < 0 && entry.compare(name, Qt::CaseInsensitive) == 0) caseless = i;
    }
    return caseless;
}

Status LibzipArchive::add(const QString& name, const QByteArray& data, const QDateTime& modified, int level) {
    if (!m_zip) return closedFailure();
    if (!ValidName(name))
        return Status::failure(
            QStringLiteral("Cannot add \"%1\" to the zip file \"%2\": an entry name must be a plain file name")
                .arg(name, m_path));
    if (level < 0 || level > 9)
        return Status::failure(QStringLiteral("Cannot add \"%1\" to the zip file \"%2\": compression level %3 "
                                              "is not between 0 and 9")
                                   .arg(name, m_path)
                                   .arg(level));

    // Deflated entries are compressed here, once, and written by commit() as they are; stored
    // entries are read from the kept buffer when the archive is written.
    const QByteArray kept = data;
    zip_source_t* source = level == 0
                               ? zip_source_buffer(m_zip, kept.constData(), static_cast<zip_uint64_t>(kept.size()), 0)
                               : DeflatedSource(m_zip, kept, level);
    if (!source) return failure(QStringLiteral("Cannot add \"%1\"").arg(name));

    const QByteArray utf8 = name.toUtf8();
    zip_int64_t index = find(name);
    if (index >= 0) {
        // Replaced in place; an entry whose name differs only in case takes the new spelling.
        const auto at = static_cast<zip_uint64_t>(index);
        if (zip_file_replace(m_zip, at, source, 0) < 0) {
            zip_source_free(source);
            return failure(QStringLiteral("Cannot replace \"%1\"").arg(name));
        }
        m_pending.insert(at, kept);
        if (QString::fromUtf8(zip_get_name(m_zip, at, 0)) != name &&
            zip_file_rename(m_zip, at, utf8.constData(), ZIP_FL_ENC_UTF_8) < 0)
            return failure(QStringLiteral("Cannot rename the entry to \"%1\"").arg(name));
    } else {
        index = zip_file_add(m_zip, utf8.constData(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return failure(QStringLiteral("Cannot add \"%1\"").arg(name));
        }
        m_pending.insert(static_cast<zip_uint64_t>(index), kept);
    }

    const auto at = static_cast<zip_uint64_t>(index);
    const zip_int32_t method = level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    if (zip_set_file_compression(m_zip, at, method, static_cast<zip_uint32_t>(level)) < 0)
        return failure(QStringLiteral("Cannot set the compression of \"%1\"").arg(name));
    // libzip stores the time as a DOS date and time in local time.
    const QDateTime when = modified.isValid() ? modified : QDateTime::currentDateTime();
    if (zip_file_set_mtime(m_zip, at, static_cast<time_t>(when.toSecsSinceEpoch()), 0) < 0)
        return failure(QStringLiteral("Cannot set the date of \"%1\"").arg(name));
    if (zip_file_set_external_attributes(m_zip, at, 0, ZIP_OPSYS_DOS, 0) < 0)
        return failure(QStringLiteral("Cannot clear the attributes of \"%1\"").arg(name));
    return Status::success();
}

int LibzipArchive::remove(const QStringList& names) {
    if (!m_zip) return 0;
    int removed = 0;
    const zip_int64_t total = zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < total; ++i) {
        const auto at = static_cast<zip_uint64_t>(i);
        const char* raw = zip_get_name(m_zip, at, 0);
        if (!raw) continue;
        const QString entry = QString::fromUtf8(raw);
        const bool wanted = std::any_of(names.begin(), names.end(), [&entry](const QString& name) {
            return entry.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (wanted && zip_delete(m_zip, at) == 0) {
            m_pending.remove(at);
            ++removed;
        }
    }
    return removed;
}

Status LibzipArchive::read(const QString& name, QByteArray& data) const {
    data.clear();
    if (!m_zip) return closedFailure();
    const qint64 index = find(name);
    if (index < 0) return Status::failure(QStringLiteral("The zip file \"%1\" has no entry \"%2\"").arg(m_path, name));
    const auto at = static_cast<zip_uint64_t>(index);
    // libzip cannot read back data it has not written yet.
    if (const auto pending = m_pending.constFind(at); pending != m_pending.constEnd()) {
        data = *pending;
        return Status::success();
    }

    zip_file_t* file = zip_fopen_index(m_zip, at, 0);
    if (!file) return failure(QStringLiteral("Cannot read \"%1\"").arg(name));
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, at, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE))
        data.reserve(static_cast<qsizetype>(std::min<zip_uint64_t>(stat.size, MaxReserve)));

    QByteArray chunk(ReadChunk, Qt::Uninitialized);
    for (;;) {
        const zip_int64_t got = zip_fread(file, chunk.data(), static_cast<zip_uint64_t>(chunk.size()));
        if (got < 0) {
            const QString reason = QString::fromUtf8(zip_file_strerror(file));
            zip_fclose(file);
            data.clear();
            return Status::failure(
                QStringLiteral("Cannot read \"%1\" in the zip file \"%2\": %3").arg(name, m_path, reason));
        }
        if (got == 0) break;
        data.append(chunk.constData(), static_cast<qsizetype>(got));
    }
    const int closed = zip_fclose(file);
    if (closed != 0) {
        data.clear();
        return Status::failure(
            QStringLiteral("Cannot read \"%1\" in the zip file \"%2\": %3").arg(name, m_path, LibzipMessage(closed)));
    }
    return Status::success();
}

Status LibzipArchive::commit() {
    if (!m_zip) return closedFailure();
    // libzip writes a temporary file beside the archive and renames it over the old one; with no
    // entries left it deletes the file. On failure the archive stays open with its changes.
    if (zip_close(m_zip) < 0)
        return Status::failure(
            QStringLiteral("Cannot write the zip file \"%1\": %2").arg(m_path, QString::fromUtf8(zip_strerror(m_zip))));
    m_zip = nullptr;
    m_pending.clear();

    QString error;
    m_zip = openArchive(m_path, error);
    if (!m_zip) m_closedReason = error;
    return Status::success();
}

std::unique_ptr<ZipArchive> LibzipFactory::open(const QString& path, QString& error) const {
    zip* archive = LibzipArchive::openArchive(path, error);
    if (!archive) return nullptr;
    return std::make_unique<LibzipArchive>(path, archive);
}

} // namespace kestrova
