#pragma once

#include "core/ports/Result.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>

namespace kestrova {

// One standard PKZIP archive, opened for reading and changing. A missing file is an empty archive
// that comes into being with its first entry. Changes are collected and written by commit(): the
// new archive is written beside the old one and takes its place only when complete, so a failure
// or a crash never leaves a half-written archive.
class ZipArchive {
public:
    virtual ~ZipArchive() = default;

    // The entries' names, in the archive's order.
    virtual QStringList entryNames() const = 0;
    virtual int count() const = 0;

    // Adds an entry (no directory part, no attributes) with the data, dated `modified` (local
    // time), compressed at `level` (0 to 9). An entry of the same name is replaced (letter case
    // ignored; it keeps its place in the archive and takes the new spelling). An invalid
    // `modified` means now. The name must be a plain file name (no "/" or "\").
    virtual Status add(const QString& name, const QByteArray& data, const QDateTime& modified, int level = 9) = 0;
    // Removes the entries of these names (letter case ignored); returns how many were removed.
    virtual int remove(const QStringList& names) = 0;
    // The data of an entry.
    virtual Status read(const QString& name, QByteArray& data) const = 0;

    // Writes the changes to the file. An archive left without entries is deleted. After a
    // successful commit the archive stays open for further changes; a failed commit leaves the
    // file as it was and keeps the changes, so it may be tried again. Changes not committed are
    // dropped when the archive is destroyed.
    virtual Status commit() = 0;
};

// Opens archives.
class ZipFactory {
public:
    virtual ~ZipFactory() = default;
    // Opens path (a missing file gives an empty archive); null with error set when the file is
    // not a readable archive.
    virtual std::unique_ptr<ZipArchive> open(const QString& path, QString& error) const = 0;
};

} // namespace kestrova
