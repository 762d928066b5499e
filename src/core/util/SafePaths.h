#pragma once

#include <QString>

namespace kestrova {

// The longest file name (in UTF-8 bytes, without its directory) the station's file systems take.
inline constexpr int MaxFileNameBytes = 255;
// What a store name adds to the decoded name it comes from: the decode tail keeps two characters
// in front of the new five-character suffix.
inline constexpr int StoreNameGrowth = 2;
// Room for the temporary names a file is written under before it is renamed into place
// ("." + name + "." + up to eight hexadecimal digits + ".tmp").
inline constexpr int TemporaryNameBytes = 16;
// The longest decoded file name the whole pipeline can carry: its store and local copies and
// their temporary names all stay within MaxFileNameBytes.
inline constexpr int MaxDecodedNameBytes = MaxFileNameBytes - StoreNameGrowth - TemporaryNameBytes;

// Why name cannot be used as one file name inside a directory, or empty when it can: it is empty,
// starts with "." (".", ".." and hidden names), or holds "/", "\" or a control character.
QString UnsafeNameReason(const QString& name);

// True when path lies below dir as plain concatenation built it: it starts with dir (which ends
// with "/"), and the rest is a relative path of non-empty components, none of them "." or "..",
// without control characters.
bool StaysInside(const QString& dir, const QString& path);

} // namespace kestrova
