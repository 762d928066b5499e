#pragma once

#include <QDateTime>
#include <QString>

namespace kestrova {

struct StationSetup;

// The entries an archive of the media holds before it is complete and moved to the media.
constexpr int ZipCapacity = 100;

// The local folder that holds the open zip files: the local images directory + "ZipFiles/".
QString ZipFolder(const StationSetup& setup);
// The group of an image key: the key's characters at the "*" positions of the store mask
// (empty when the mask has none).
QString ZipGroupOf(const QString& key, const QString& storeMask);
// The name of a group's zip file made at `created`: group + "~" + "yy-MM-dd hhmmss zzz" + ".zip".
QString ZipFileName(const QString& group, const QDateTime& created);
// Where a group's complete zip files go: the backup directory + group + "/" (the backup directory
// itself for the empty group).
QString ZipDestinationDir(const StationSetup& setup, const QString& group);
// Where the zip file of this name (without ".zip") goes: ZipDestinationDir of its group, the part
// before its first "~" (the whole name when it has none).
QString ZipDestinationDirOf(const StationSetup& setup, const QString& zipName);
// A directory path with one trailing "/".
QString WithTrailingSlash(const QString& dir);
// A file name without its last extension ("A~REQ.tif" gives "A~REQ").
QString WithoutExtension(const QString& fileName);

} // namespace kestrova
