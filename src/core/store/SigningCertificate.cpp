#include "core/store/SigningCertificate.h"

#include "core/station/Station.h"
#include "core/util/DateParse.h"
#include "core/util/StringUtil.h"

#include <cmath>
#include <stdexcept>

namespace kestrova {

namespace {

QString SerialKey(const QString& serial) {
    return RemoveChars(serial, QStringLiteral(" ")).toUpper();
}

} // namespace

void SelectSigningCertificate(Station& station) {
    const TCertificateInfo& info = station.setup().CertificateInfo;
    station.CertMgr2 = {};
    const QString storeLine = QStringLiteral("Signing certificate store ") + info.Store + QStringLiteral(": ");
    if (!station.SMIME1) {
        station.LogEvent(storeLine + QStringLiteral("no certificate component on this station"));
        return;
    }
    const Result<CertificateList> listed = station.SMIME1->listCertificates(info.Store);
    if (!listed) {
        station.LogEvent(storeLine + listed.error());
    } else {
        for (const QString& problem : listed.value().problems) station.LogEvent(storeLine + problem);
        const QString wanted = SerialKey(info.Serial);
        for (const QByteArray& encoded : listed.value().certificates) {
            const Result<CertificateDetails> details = station.SMIME1->details(encoded);
            if (!details || SerialKey(details.value().CertSerialNumber) != wanted) continue;
            station.CertMgr2 = {encoded, details.value()};
            return;
        }
    }
    station.LogEvent(QStringLiteral("Signing certificate ") + info.Serial + QStringLiteral(" is not in the store ") +
                     info.Store + QStringLiteral(": signed backups will fail"));
}

int DaysUntilExpiry(const Station& station, const QDateTime& now) {
    TDateTime expires = 0.0;
    try {
        expires = ParseDateText(station.CertMgr2.details.CertExpirationDate);
    } catch (const std::invalid_argument&) {
        expires = 0.0;
    }
    const double days = std::trunc(expires - ToTDateTime(now));
    if (days < -1e9) return -1000000000;
    return static_cast<int>(days);
}

QString SigningCertificateText(const Station& station) {
    const CertificateDetails& d = station.CertMgr2.details;
    return QStringLiteral("Signing Certificate:  ") + d.CertSerialNumber + QLatin1Char('\n') + d.CertSubject +
           QLatin1Char('\n') + d.CertIssuer;
}

} // namespace kestrova
