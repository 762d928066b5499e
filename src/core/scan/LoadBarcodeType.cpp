#include "barcode/QVCodabar.h"
#include "core/config/Configuration.h"
#include "core/scan/BarcodeProfiles.h"
#include "core/station/Station.h"

#include <QFileInfo>

namespace kestrova {

namespace {

void Configure(barcode::QVCodabar& reader, const BarcodeType& t) {
    barcode::InitBarcodeReader(reader, t.NarrowFrom, t.NarrowTo, t.WideFrom, t.WideTo, t.DoubleFrom, t.DoubleTo,
                               t.QuadFrom, t.QuadTo, t.DigitsFrom, t.DigitsTo, t.MinPageHeight, t.Flags);
    if (!reader.Extra) reader.Extra = std::make_unique<barcode::TBcodeExtra>();
}

} // namespace

void ApplyBarcodeType(Station& station, const BarcodeType& type) {
    Configure(station.MainReader, type);
    Configure(station.RotatedReader, type);
    const std::string patterns = type.ExtraValidation.toStdString();
    station.MainReader.Extra->SetPatterns(patterns);
    station.RotatedReader.Extra->SetPatterns(patterns);
}

void LoadDefaultBarcodeType(Station& station) {
    ApplyBarcodeType(station, DefaultBarcodeType(station.setup().SetupInfo));
}

bool LoadBarcodeProfile(Station& station, const IniSource& source, const QString& name, QString* error) {
    const QString path = station.setup().ProgramDir + name + ProfileExtension;
    TKestrovaConfiguration configuration;
    QString reason;
    QString problem;
    if (!configuration.Load(source, path, &reason))
        problem = QStringLiteral("the file %1 cannot be read (%2).").arg(path, reason);
    else if (configuration.ProfileSettings.count() == 0)
        problem = QStringLiteral("the file %1 holds no \"%2\" section.").arg(path, ProfileSectionName(0));
    if (!problem.isEmpty()) {
        if (error) *error = problem;
        return false;
    }
    ApplyBarcodeType(station, ProfileBarcodeType(configuration));
    return true;
}

} // namespace kestrova
