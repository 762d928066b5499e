#pragma once

#include "core/util/DateTime.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTimeZone>

namespace kestrova {

// Fields of a file listing, added together; they appear in this order.
enum ListField : int {
    ListShortName = 1, // the 8.3 name, which on this system is the file name itself
    ListName = 2,
    ListWriteTime = 4,
    ListCreationTime = 8, // birth time where the file system records it, else the last-write time
    ListAccessTime = 16,
    ListSize = 32,       // bytes, decimal; 0 for a directory
    ListAttributes = 64, // the FileAttribute bits, decimal
};

// Attribute bits as the listing reports and filters them:
// read-only = no write permission for the owner, hidden = the name starts with ".",
// directory = a directory, archive = a regular file. System and volume-label bits never occur.
enum FileAttribute : int {
    AttrReadOnly = 1,
    AttrHidden = 2,
    AttrSystem = 4,
    AttrVolumeLabel = 8,
    AttrDirectory = 16,
    AttrArchive = 32,
    AttrAny = 63,
};

// Lists the entries of a directory that match a wildcard ("*" any text, "?" one character,
// "*.*" everything; case-insensitive), sorted by name. pattern is the directory + wildcard.
// filter 0: every match that is not a directory; filter AttrAny: every match; any other filter:
// the matches whose attributes hold all of its bits. Only regular files and directories are seen.
// Result: the count, CR, then per entry its selected fields each followed by LF, then CR.
// No match (or a missing directory) gives "0" + CR. Times use ListingTimeFormat(locale).
QString ListFiles(const QString& pattern, int filter, int flags, const QLocale& locale = QLocale::system());

// The entries of a listing text: one list of field texts per listed entry.
QList<QStringList> ListingEntries(const QString& listing);
// The count at the start of a listing text (0 when unreadable).
int ListingCount(const QString& listing);

// A file time (100 ns units since 1 January 1601 UTC) as local date-time in zone, using the
// zone's offset at that instant. An invalid zone is taken as UTC.
TDateTime FileTimeToLocal(qint64 fileTime, const QTimeZone& zone = QTimeZone::systemTimeZone());
// A moment as a file time.
qint64 ToFileTime(const QDateTime& moment);

// The short date format with "yy" widened to "yyyy", then " hh:mm" with the locale's time separator.
QString ListingTimeFormat(const QLocale& locale = QLocale::system());
QString FormatListingTime(TDateTime value, const QLocale& locale = QLocale::system());
// A listing time text read back (minute precision); 0 when it is not one.
TDateTime ReadListingTime(const QString& text, const QLocale& locale = QLocale::system());

// True when name matches a listing wildcard (see ListFiles).
bool MatchesWildcard(const QString& name, const QString& wildcard);

} // namespace kestrova
