#include "core/config/SetupLine.h"

#include "core/config/SetupFile.h"
#include "core/config/SetupText.h"
#include "core/config/StationSetup.h"
#include "core/station/MainWindowState.h"

#include <algorithm>
#include <initializer_list>

namespace kestrova {

std::optional<SUFline> ParseSUFline(QStringView line) {
    const qsizetype bar = line.indexOf(QLatin1Char('|'));
    if (bar < 0) return std::nullopt;
    const auto code = Int32Value(line.first(bar));
    if (!code) return std::nullopt;
    const QStringView rest = line.sliced(bar + 1);
    SUFline l;
    l.Code = static_cast<std::int16_t>(*code); // the configuration program's codes are 16-bit
    l.Label = SetupField(rest, QLatin1Char('|'), 1).toString();
    l.Value = SetupField(rest, QLatin1Char('|'), 2).toString();
    l.Extra = SetupField(rest, QLatin1Char('|'), 3).toString();
    return l;
}

namespace {

// At most n UTF-16 units of text, never ending in half a surrogate pair.
QString CutText(QStringView text, qsizetype n) {
    if (text.size() <= n) return text.toString();
    if (n > 0 && text[n - 1].isHighSurrogate()) --n;
    return text.first(n).toString();
}

// Reads the separated integers of a value into the targets in order; stops at the first field
// that is not an integer, leaving it and the later targets as they were.
bool ReadIntegers(QStringView value, QChar separator, std::initializer_list<std::int32_t*> targets) {
    int n = 1;
    for (std::int32_t* target : targets) {
        const auto v = Int32Value(SetupField(value, separator, n++));
        if (!v) return false;
        *target = *v;
    }
    return true;
}

std::int32_t StorageResolutionFor(std::int32_t resolutionIndex) {
    switch (resolutionIndex) {
    case 1:
        return 220;
    case 2:
        return 250;
    case 3:
        return 300;
    default:
        return -1;
    }
}

bool SameWord(QStringView value, QLatin1StringView word) {
    return value.trimmed().compare(word, Qt::CaseInsensitive) == 0;
}

void ApplyDocDefinition(setupinformation& setup, QStringView value) {
    const QChar colon = QLatin1Char(':');
    docdefinition def;
    def.DocName = CutText(SetupField(value, colon, 1), 20);
    def.DocCode = QLatin1Char('~') + CutText(SetupField(value, colon, 2), 9);
    if (const auto length = Int32Value(SetupField(value, colon, 3))) {
        def.PageLength = *length;
        if (const auto depth = Int32Value(SetupField(value, colon, 4))) {
            def.SearchDepth = *depth;
            def.Account = SetupField(value, colon, 5).toString();
        }
    }
    setup.DocDefs.append(def);
}

} // namespace

void ApplySetupLine(StationSetup& setup, MainWindowState& view, const SUFline& line) {
    setupinformation& s = setup.SetupInfo;
    const QStringView value = line.Value;
    const QChar comma = QLatin1Char(','), colon = QLatin1Char(':'), tilde = QLatin1Char('~');
    const int code = line.Code;
    if (code >= SlotScan && code <= SlotSpare) {
        s.Directories[code] = value.isEmpty() ? DriveDisabled : line.Value;
        return;
    }
    if (code >= CodeFirstDocDefinition && code <= CodeLastDocDefinition) {
        ApplyDocDefinition(s, value);
        return;
    }
    switch (code) {
    case CodeNarrowBarRange:
        ReadIntegers(value, comma, {&s.NarrowFrom, &s.NarrowTo});
        break;
    case CodeWideBarRange:
        ReadIntegers(value, comma, {&s.WideFrom, &s.WideTo});
        break;
    case CodeDoubleQuadRanges:
        if (ReadIntegers(value, comma, {&s.DoubleFrom, &s.DoubleTo})) {
            s.QuadFrom = Int32Value(SetupField(value, comma, 3)).value_or(20);
            s.QuadTo = Int32Value(SetupField(value, comma, 4)).value_or(26);
        }
        break;
    case CodeNumberOfDigits:
        ReadIntegers(value, comma, {&s.DigitsFrom, &s.DigitsTo});
        break;
    case CodeMinPageHeight:
        s.MinPageHeight = Int32Value(value).value_or(s.MinPageHeight);
        break;
    case CodeBarcodeTypes:
        s.BarcodeTypes = Int64Value(value).value_or(s.BarcodeTypes);
        break;
    case CodeOperatingMode:
        if (SameWord(value, QLatin1StringView("SINGLE")))
            s.StationMode = ModeSingle;
        else if (SameWord(value, QLatin1StringView("REMOTE")))
            s.StationMode = ModeRemote;
        else if (SameWord(value, QLatin1StringView("SCANSERVER")))
            s.StationMode = ModeScanServer;
        else if (SameWord(value, QLatin1StringView("CDSERVER")))
            s.StationMode = ModeCDServer;
        break;
    case CodeImageFormat:
        if (SameWord(value, QLatin1StringView("PNG")))
            s.ImageFormat = 1;
        else if (SameWord(value, QLatin1StringView("TIFF4")))
            s.ImageFormat = 2;
        break;
    case CodeScannerId:
        s.ScannerId = value.trimmed().toString();
        break;
    case CodeImageSizes:
        if (ReadIntegers(value, colon, {&s.ViewImageSize, &s.BackupImageSize, &s.ResolutionIndex}))
            setup.StorageResolution = StorageResolutionFor(s.ResolutionIndex);
        break;
    case CodeFileSecurity:
        setup.FileSecurityOn = SetupField(value, colon, 1).trimmed() == QLatin1String("1");
        if (setup.FileSecurityOn) setup.SecurityDomain = SetupField(value, colon, 2).toString();
        break;
    case CodeSigning:
        setup.SigningOn = SetupField(value, tilde, 1).trimmed() == QLatin1String("1");
        if (setup.SigningOn) {
            setup.CertificateInfo.Store = SetupField(value, tilde, 2).toString();
            setup.CertificateInfo.Text = SetupField(value, tilde, 3).toString();
            setup.CertificateInfo.Serial = SetupField(value, tilde, 4).toString();
            setup.CertificateInfo.Address = SetupField(value, tilde, 5).toString();
        }
        break;
    case CodeShowLisCounter:
        view.ServerGroupVisible = SameWord(value, QLatin1StringView("yes"));
        break;
    case CodeExtraValidation:
        s.ExtraValidation = line.Value;
        break;
    case CodeColourDepth:
        setup.ColourDepth = ColourDepthOf(line.Value);
        break;
    case CodeImagePerBarcode: {
        const QStringView trimmed = value.trimmed();
        setup.ImagePerBarcode =
            !trimmed.isEmpty() && (trimmed[0] == QLatin1Char('y') || trimmed[0] == QLatin1Char('Y'));
        break;
    }
    case CodeDeletedProblemDays:
        setup.DeletedProblemDays = std::max(0, Int32Value(value).value_or(setup.DeletedProblemDays));
        break;
    default:
        break;
    }
}

} // namespace kestrova
