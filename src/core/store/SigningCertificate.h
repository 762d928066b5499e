#pragma once

#include <QDateTime>
#include <QString>

namespace kestrova {

class Station;

// Chooses the signing certificate at start-up: the certificate of the configured store whose
// serial number equals the configured one (blanks removed, upper case) becomes the station's
// CertMgr2. A store that cannot be read, a certificate file that cannot be used (unreadable, no
// certificate, a private key missing or not its own) and a store without the serial number are
// each logged in one line; without a match no certificate is held and every signed backup fails.
void SelectSigningCertificate(Station& station);

// Whole days from now until the held certificate expires, truncated toward zero (negative once it
// is more than a day past, and far below zero when no certificate is held).
int DaysUntilExpiry(const Station& station, const QDateTime& now);

// The text of the certificate message box: "Signing Certificate:  " + serial, subject and issuer on
// lines of their own.
QString SigningCertificateText(const Station& station);

} // namespace kestrova
