#pragma once

#include <QString>

namespace kestrova {

class FileSecurity;
class Station;
struct docdefinition;

// Restricts the access list of a store copy to the account of its document type: the file
// inherits from its directory again, the account gets every right and every other named entry is
// removed. Reports each step in the event log; never fails the caller. Without a file-security
// adapter (security == nullptr) an account cannot be applied and that is logged. The log names
// shownPath (default: path), the name the copy is about to take when it is secured under a
// temporary one.
void SecureStoreCopy(Station& station, FileSecurity* security, const QString& path, const docdefinition& document,
                     const QString& shownPath = {});

} // namespace kestrova
