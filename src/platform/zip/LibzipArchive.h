#pragma once

#include "core/ports/ZipArchive.h"

#include <QHash>

struct zip;

namespace kestrova {

// A zip archive kept open with libzip. Changes are collected by libzip and written by commit(),
// which lets libzip write a temporary file beside the archive and rename it over the old one.
//
// Entry names are matched without regard to letter case: add() replaces an entry whose name
// differs only in case (the entry keeps its place and takes the new spelling), remove() removes
// every entry that matches, read() reads the first that matches. Names must be non-empty and
// carry no directory part ("/" or "\"). An invalid `modified` date means now. New entries are
// stored with DOS host attributes of 0 so that unpacking programs use their own defaults.
//
// After a successful commit the archive is opened again from the written file and stays usable.
// A failed commit leaves the file as it was and keeps the pending changes, so commit() may be
// tried again. Should reopening after a commit fail, the archive reports itself closed: every
// later call fails (or gives nothing) with that reason.
class LibzipArchive : public ZipArchive {
public:
    // Takes ownership of the open libzip archive.
    LibzipArchive(QString path, zip* archive);
    ~LibzipArchive() override;
    LibzipArchive(const LibzipArchive&) = delete;
    LibzipArchive& operator=(const LibzipArchive&) = delete;

    QStringList entryNames() const override;
    int count() const override;
    Status add(const QString& name, const QByteArray& data, const QDateTime& modified, int level = 9) override;
    int remove(const QStringList& names) override;
    Status read(const QString& name, QByteArray& data) const override;
    Status commit() override;

    QString path() const { return m_path; }

    // Opens path with libzip; a missing file or a file of no bytes is an empty archive. Null with
    // error set when the file is not a readable archive.
    static zip* openArchive(const QString& path, QString& error);

private:
    // Index of the first live entry whose name matches, or -1.
    qint64 find(const QString& name) const;
    Status failure(const QString& what) const;
    Status closedFailure() const;

    QString m_path;
    zip* m_zip = nullptr;
    QString m_closedReason;
    // Data of entries added since the last commit, by index. libzip reads from these buffers when
    // it writes the archive, so they live until the commit has succeeded.
    QHash<quint64, QByteArray> m_pending;
};

// Opens archives with libzip.
class LibzipFactory : public ZipFactory {
public:
    std::unique_ptr<ZipArchive> open(const QString& path, QString& error) const override;
};

} // namespace kestrova
