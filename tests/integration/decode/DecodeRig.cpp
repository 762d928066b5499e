#include "DecodeRig.h"

#include "barcode/QVCodabar.h"
#include "core/scan/BarcodeProfiles.h"
#include "core/scan/DecodeImages.h"
#include "core/scan/ScanControl.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace kestrova::decodetest {

namespace {

QStringList Files(const QString& dir) {
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

} // namespace

QString OnlyMatch(const QStringList& files, const QString& pattern) {
    const QStringList found = files.filter(QRegularExpression(pattern));
    return found.size() == 1 ? found.first() : QString();
}

DecodeRig::DecodeRig(std::uint32_t options)
    : symbologies(barcode::FlagCodabar | barcode::FlagCode39 | barcode::FlagCode128 | barcode::FlagCodabarStartA |
                  barcode::FlagCodabarStartB | barcode::FlagCodabarStartC | barcode::FlagCodabarStartD) {
    const QString root = dir.path() + QLatin1Char('/');
    scanDir = root + QStringLiteral("scan/");
    problemsDir = root + QStringLiteral("problems/");
    decodedDir = root + QStringLiteral("decoded/");
    for (const QString& d : {scanDir, problemsDir, decodedDir}) QDir().mkpath(d);
    imageSet = ImageSetFile(scanDir);
    station.editSetup().ProgramDir = root;
    setupinformation& setup = station.editSetup().SetupInfo;
    setup.Directories[SlotScan] = scanDir;
    setup.Directories[SlotProblems] = problemsDir;
    setup.Directories[SlotDecoded] = decodedDir;
    docdefinition hist;
    hist.DocCode = QStringLiteral("~HIST");
    hist.PageLength = 2970;
    hist.SearchDepth = 25;
    docdefinition req;
    req.DocCode = QStringLiteral("~REQ");
    req.PageLength = 2100;
    req.SearchDepth = 40;
    setup.DocDefs = {hist, req};
    setup.ScannerId = QStringLiteral("S2");
    setup.MinPageHeight = 250;
    setOptions(options);
}

void DecodeRig::setOptions(std::uint32_t options) {
    BarcodeType type;
    type.NarrowFrom = 2;
    type.NarrowTo = 4;
    type.WideFrom = 5;
    type.WideTo = 8;
    type.DoubleFrom = 9;
    type.DoubleTo = 11;
    type.QuadFrom = 12;
    type.QuadTo = 15;
    type.DigitsFrom = digitsFrom;
    type.DigitsTo = digitsTo;
    type.MinPageHeight = 250;
    type.Flags = symbologies | options;
    ApplyBarcodeType(station, type);
}

void DecodeRig::run() {
    imageSetInfo = DecodeImages(station, codec, imageSet);
}

QStringList DecodeRig::decoded() const {
    return Files(decodedDir);
}

QStringList DecodeRig::problems() const {
    return Files(problemsDir);
}

QStringList DecodeRig::reasonLines(const QString& scnName) const {
    QFile file(problemsDir + scnName);
    if (!file.open(QIODevice::ReadOnly)) return {QStringLiteral("(no file %1)").arg(scnName)};
    QString text = QString::fromUtf8(file.readAll());
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return text.split(QLatin1Char('\n'));
}

QStringList DecodeRig::log() const {
    QStringList lines;
    for (const QString& line : station.eventLog().lines())
        lines.prepend(line.mid(line.indexOf(QStringLiteral(" +")) + 2));
    return lines;
}

} // namespace kestrova::decodetest
