#include "core/config/SetupChecks.h"

#include "core/config/SetupInfo.h"
#include "core/util/EventLog.h"

namespace kestrova {

namespace {

bool IsControl(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f);
}

bool IsCritical(int slot) {
    return slot == SlotScan || slot == SlotProblems || slot == SlotDecoded || slot == SlotLocalImages;
}

QString Quoted(QStringView text) {
    return QLatin1Char('"') + VisibleText(text) + QLatin1Char('"');
}

} // namespace

bool HasControlCharacter(QStringView text) {
    for (const QChar c : text)
        if (IsControl(c)) return true;
    return false;
}

bool IsSafeNamePart(QStringView text) {
    return !HasControlCharacter(text) && !text.contains(QLatin1Char('/')) && !text.contains(QLatin1Char('\\')) &&
           !text.contains(QLatin1String(".."));
}

QString VisibleText(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (IsControl(c))
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

UnsafeSetupValues RefuseUnsafeSetupValues(setupinformation& s, EventLog& log) {
    UnsafeSetupValues found;
    for (int slot = SlotScan; slot <= SlotSpare; ++slot) {
        QString& dir = s.Directories[slot];
        if (!HasControlCharacter(dir)) continue;
        log.LogEvent(QStringLiteral("Setup file line %1: the directory %2 holds a control character; the "
                                    "directory is switched off.")
                         .arg(QString::number(slot), Quoted(dir)));
        dir = DriveDisabled;
        (IsCritical(slot) ? found.criticalDirectory : found.other) = true;
    }
    if (!IsSafeNamePart(s.ScannerId)) {
        log.LogEvent(QStringLiteral("Setup file line 18: the scanner identifier %1 cannot be part of a file name.")
                         .arg(Quoted(s.ScannerId)));
        found.other = true;
    }
    for (const docdefinition& def : s.DocDefs) {
        if (IsSafeNamePart(def.DocCode)) continue;
        log.LogEvent(QStringLiteral("Setup file: the document code %1 of %2 cannot be part of a file name.")
                         .arg(Quoted(def.DocCode), Quoted(def.DocName)));
        found.other = true;
    }
    return found;
}

} // namespace kestrova
