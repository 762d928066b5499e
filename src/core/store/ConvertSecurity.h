#pragma once

#include <QString>

namespace kestrova {

class FileSecurity;
class Station;
struct docdefinition;

// Restricts the access list of a store copy to the account of its document type: the file
// inherits from its directory again, the account gets every right and every other named entry is
// removed. Reports each step in the event log; never fails the caller. Without a file-security
// adapter (security == nullptr) an account cannot be applied and that is logged.
void SecureStoreCopy(Station& station, FileSecurity* security, const QString& path, const docdefinition& document);

} // namespace kestrova
