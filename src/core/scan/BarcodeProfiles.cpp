#include "core/scan/BarcodeProfiles.h"

#include "core/config/Configuration.h"
#include "core/config/SetupInfo.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <utility>

namespace kestrova {

namespace {

std::uint8_t LowByte(std::int64_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

struct SearchBit {
    std::uint8_t searchOption;
    std::uint32_t bit;
};
constexpr std::array<SearchBit, 4> SEARCH_BITS{{{3, 0x00200000}, {2, 0x00400000}, {1, 0x00800000}, {0, 0x01000000}}};

} // namespace

std::uint32_t ProfileBarcodeTypes(const TKestrovaConfiguration& configuration) {
    if (configuration.ProfileSettings.count() == 0) return 0;
    const TKestrovaBarcodeProfile& p = configuration.ProfileSettings.item(0);
    const TKestrovaBarcodeOptions& o = p.Options;
    const TKestrovaBarcodeOtherOptions& other = p.OtherOptions;
    const std::array<std::pair<bool, std::uint32_t>, 17> bits{{
        {other.StopAfterFirstBarcode, 0x00000001},
        {other.PunctuationNotValid, 0x00000002},
        {o.CodabarStartA, 0x00000004},
        {o.CodabarStartB, 0x00000008},
        {o.CodabarStartC, 0x00000010},
        {o.CodabarStartD, 0x00000020},
        {o.Code25DropLeadingZero, 0x00001000},
        {o.Code25CheckDigit, 0x00002000},
        {o.Code39CheckDigit, 0x00008000},
        {o.CodabarCheckDigit, 0x00020000},
        {other.AutomaticallyInvert, 0x00040000},
        {other.DeskewLeavesRemnant, 0x00080000},
        {other.BackgroundIsWhite, 0x02000000},
        {o.Code128, 0x10000000},
        {o.Code25, 0x20000000},
        {o.Code39, 0x40000000},
        {o.Codabar, 0x80000000},
    }};
    std::uint32_t flags = 0;
    for (const auto& [set, bit] : bits)
        if (set) flags |= bit;
    for (const SearchBit& s : SEARCH_BITS)
        if (p.SearchOption == s.searchOption) flags |= s.bit;
    return flags;
}

BarcodeType DefaultBarcodeType(const setupinformation& setup) {
    BarcodeType t;
    t.NarrowFrom = LowByte(setup.NarrowFrom);
    t.NarrowTo = LowByte(setup.NarrowTo);
    t.WideFrom = LowByte(setup.WideFrom);
    t.WideTo = LowByte(setup.WideTo);
    t.DoubleFrom = LowByte(setup.DoubleFrom);
    t.DoubleTo = LowByte(setup.DoubleTo);
    t.QuadFrom = LowByte(setup.QuadFrom);
    t.QuadTo = LowByte(setup.QuadTo);
    t.DigitsFrom = LowByte(setup.DigitsFrom);
    t.DigitsTo = LowByte(setup.DigitsTo);
    t.MinPageHeight = setup.MinPageHeight;
    t.Flags = static_cast<std::uint32_t>(setup.BarcodeTypes & 0xFFFFFFFF);
    t.ExtraValidation = setup.ExtraValidation;
    return t;
}

BarcodeType ProfileBarcodeType(const TKestrovaConfiguration& configuration) {
    const TKestrovaBarcodeProfile& p = configuration.ProfileSettings.item(0);
    const TKestrovaRanges& r = p.CodabarRanges;
    BarcodeType t;
    t.NarrowFrom = LowByte(r.Narrow.From);
    t.NarrowTo = LowByte(r.Narrow.To);
    t.WideFrom = LowByte(r.Wide.From);
    t.WideTo = LowByte(r.Wide.To);
    t.DoubleFrom = LowByte(r.DoubleWide.From);
    t.DoubleTo = LowByte(r.DoubleWide.To);
    t.QuadFrom = LowByte(r.QuadWide.From);
    t.QuadTo = LowByte(r.QuadWide.To);
    t.DigitsFrom = LowByte(p.DigitsRange.From);
    t.DigitsTo = LowByte(p.DigitsRange.To);
    t.MinPageHeight = configuration.ScanningSettings.MinPageHeight;
    t.Flags = ProfileBarcodeTypes(configuration);
    t.ExtraValidation = p.ExtraValidation;
    return t;
}

void ListProfileFiles(const QString& directory, QStringList& list) {
    list.clear();
    const QDir dir(directory);
    // Unsorted: the order in which the file system lists the directory.
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Unsorted);
    for (const QFileInfo& file : files) {
        const QString name = file.fileName();
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot < 0 || name.mid(dot) != ProfileExtension) continue;
        list.append(name.left(dot));
    }
}

} // namespace kestrova
