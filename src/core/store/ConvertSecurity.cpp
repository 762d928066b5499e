#include "core/store/ConvertSecurity.h"

#include "core/config/SetupInfo.h"
#include "core/ports/FileSecurity.h"
#include "core/station/Station.h"

namespace kestrova {

namespace {

// Grants the account every right and removes every other named entry. False when the account
// could not be added.
bool ApplyAccount(Station& station, FileSecurity& security, const QString& account) {
    if (!security.add(account, FullFileAccess, AccessAllowed, 0)) return false;
    for (int i = security.count() - 1; i >= 0; --i) {
        const QString user = security.UserName(i);
        if (user.compare(account, Qt::CaseInsensitive) == 0) continue;
        if (!security.remove(i)) station.LogEvent(QStringLiteral("Could not delete ") + user);
    }
    return true;
}

} // namespace

void SecureStoreCopy(Station& station, FileSecurity* security, const QString& path, const docdefinition& document,
                     const QString& shownPath) {
    const QString& shown = shownPath.isEmpty() ? path : shownPath;
    station.LogEvent(QStringLiteral("Entering Security Check Section."));
    station.LogEvent(QStringLiteral("Document Type is ") + document.DocName);
    if (document.Account.isEmpty()) return;
    if (!security) {
        station.LogEvent(QStringLiteral("Failed to do security update on ") + shown + QStringLiteral(" for group ") +
                         document.Account);
        return;
    }
    security->setFileName(path);
    if (!security->ControlAccess()) {
        station.LogEvent(QStringLiteral("FileSecurity read failed. Filename was ") + shown);
        security->setFileName(QString());
        return;
    }
    // The file inherits from its directory again; a refusal here is of no consequence.
    (void)security->setControlWord(security->ControlWord() & ~AccessListProtected);
    security->setFileName(path);
    if (!security->ControlAccess()) {
        station.LogEvent(QStringLiteral("Secure File update failed."));
        security->setFileName(QString());
        return;
    }
    const QString account = document.Account.contains(QLatin1Char('\\'))
                                ? document.Account
                                : station.setup().SecurityDomain + QLatin1Char('\\') + document.Account;
    const bool applied = ApplyAccount(station, *security, account);
    security->setFileName(QString());
    if (applied) {
        station.LogEvent(QStringLiteral("Saved Secure File."));
    } else {
        station.LogEvent(QStringLiteral("Failed to add Security information for a file"));
    }
}

} // namespace kestrova
