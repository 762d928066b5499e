#pragma once

#include "../store/StoreRig.h"
#include "core/store/ZipMedia.h"
#include "platform/zip/LibzipArchive.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kestrova::ziptest {

// A station with local images, a backup destination and store mask "**", its image database, the
// real libzip archives and the zip media services on them.
struct ZipRig : storetest::StoreRig {
    // Writes bytes as a local image (the local images directory + name) and returns its path.
    QString local(const QString& name, const QByteArray& bytes = {});
    // Adds the local image of this name to its group's zip file as the backup pass does.
    int backup(const QString& name);
    // The entry names of an archive; fails the test when it cannot be read.
    QStringList entries(const QString& path) const;
    // Writes an archive with these entries (name, data) straight through the port.
    void makeZip(const QString& path, const QList<QPair<QString, QByteArray>>& content) const;
    QString zipFolder() const;

    LibzipFactory zips;
    ZipMedia media{station, zips};
};

// A stored (uncompressed) archive written byte by byte, so that it can hold entry names the port
// never writes.
QByteArray RawZip(const QList<QPair<QByteArray, QByteArray>>& content);

} // namespace kestrova::ziptest
