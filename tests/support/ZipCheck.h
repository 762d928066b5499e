#pragma once

#include <QString>
#include <QStringList>

namespace kestrova::test {

// The entry names of a zip file as the outside tool python3's zipfile reads them, after it checked
// every entry's CRC; fails the test when the archive does not pass.
QStringList CheckedZipEntries(const QString& zip);
// The same for every zip file below dir, all entries sorted.
QStringList CheckedZipEntriesBelow(const QString& dir);

} // namespace kestrova::test
