#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace kestrova {

class IniSource;
class Station;
class TKestrovaConfiguration;
struct setupinformation;

// A barcode type as both readers receive it: every bound is the low 8 bits of the configured
// number, the flags word the low 32 bits.
struct BarcodeType {
    std::uint8_t NarrowFrom = 0, NarrowTo = 0;
    std::uint8_t WideFrom = 0, WideTo = 0;
    std::uint8_t DoubleFrom = 0, DoubleTo = 0;
    std::uint8_t QuadFrom = 0, QuadTo = 0;
    std::uint8_t DigitsFrom = 0, DigitsTo = 0;
    std::int32_t MinPageHeight = 0; // millimetres
    std::uint32_t Flags = 0;
    QString ExtraValidation; // patterns separated by ";"

    bool operator==(const BarcodeType&) const = default;
};

// The extension of a barcode profile file, compared with regard to letter case.
inline const QString ProfileExtension = QStringLiteral(".stp");

// Flags word of the first barcode profile of a configuration (0 when it holds none).
std::uint32_t ProfileBarcodeTypes(const TKestrovaConfiguration& configuration);

// The station's default barcode type, from the setup file.
BarcodeType DefaultBarcodeType(const setupinformation& setup);
// The barcode type of the first profile of a configuration: its Codabar bar ranges (used for every
// symbology), its digit range, the configuration's minimum page height, the flags word and the
// extra validation. The configuration must hold at least one profile.
BarcodeType ProfileBarcodeType(const TKestrovaConfiguration& configuration);

// Configures MainReader and then RotatedReader with a barcode type, patterns included. Whether the
// reader refuses the parameters is not looked at: reads then behave by the stored values.
void ApplyBarcodeType(Station& station, const BarcodeType& type);

// Loads the setup file's barcode type into both readers. Called at start-up and when "(default)"
// is chosen.
void LoadDefaultBarcodeType(Station& station);

// Loads the first profile of ProgramDir + name + ".stp" into both readers. When the file is
// missing, unreadable or holds no profile with index 0, the readers keep their type and the
// result is false with the reason in error.
bool LoadBarcodeProfile(Station& station, const IniSource& source, const QString& name, QString* error = nullptr);

// Fills list with the profile names (file names without ".stp") of the plain files in directory
// whose extension is exactly ".stp", in the order the file system lists the directory.
void ListProfileFiles(const QString& directory, QStringList& list);

} // namespace kestrova
