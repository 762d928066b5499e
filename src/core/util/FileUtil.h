#pragma once

#include "core/ports/Clock.h"
#include "core/util/DateTime.h"

#include <QString>
#include <QStringList>

namespace kestrova {

// Moves sourceDir + sourceName to destDir + destName (destName empty or blank: the source name).
// Directories may lack the trailing "/". Returns "OK", "ERROR - no source filename",
// "ERROR - no source file", "ERROR - destination exists" or "ERROR - system error " + errno.
// A move to another file system copies the file and then removes the source.
QString MoveFileChecked(const QString& sourceDir, const QString& sourceName, const QString& destDir,
                        const QString& destName);

// The name prefixed with its group sub-directory: the characters of name at the "*" positions of
// mask, "/", name. Example: "12345678~REQ.tif" with mask "**" gives "12/12345678~REQ.tif".
QString MaskedSubPath(const QString& name, const QString& mask);

// A suffix of up to five upper-case hexadecimal digits (the milliseconds since midnight of time)
// such that dir + base + suffix + extension does not exist, where name = base + extension (name
// may hold a sub-directory). While that file exists, the clock's current time is tried instead, or
// a millisecond later when the clock has not moved past the time tried.
// Returns only the suffix, or the empty text when every suffix is taken (after 0x100000 tries).
QString UniqueNameSuffix(const QString& dir, const QString& name, TDateTime time, const Clock& clock);
// The same for several names at once: a suffix that none of them has yet.
QString UniqueNameSuffix(const QString& dir, const QStringList& names, TDateTime time, const Clock& clock);

// The hidden name CopyThroughHeldTemporary writes target under: "." + target's file name without
// its extension + ".copy.tmp", beside target.
QString HeldTemporaryOf(const QString& target);
// Copies source to target (replacing it) so that target appears only whole: the bytes go to
// HeldTemporaryOf(target), reach the disk and are renamed over target. The copy holds an
// exclusive lock (flock) on its temporary file until the rename, so a temporary file that no
// process holds is one a killed copy left behind. Empty, or why not.
QString CopyThroughHeldTemporary(const QString& source, const QString& target);
// Removes the temporary files of CopyThroughHeldTemporary in dir that no process holds: those of
// copies that were killed. Returns how many were removed.
int RemoveUnheldTemporaries(const QString& dir);

} // namespace kestrova
