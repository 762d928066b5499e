#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "barcode/QVCodabar.h"
#include "core/ports/ConsolePrompter.h"
#include "core/scan/BarcodeProfiles.h"
#include "core/station/Station.h"
#include "platform/ini/SimpleIniSource.h"
#include "platform/leptonica/LeptonicaImageCodec.h"

#include <optional>

namespace kestrova::cli {

namespace {

const QString Usage =
    QStringLiteral("[--setup FILE | --profile NAME] [--depth N] [--page N] [--rotate 90|180|270] IMAGE...");

struct Options {
    QString setup = SetupFileName;
    std::optional<QString> profile;
    int depth = 100;
    int page = 1;
    int rotate = 0;
    QStringList images;
};

std::optional<Options> Parse(const QStringList& args) {
    Options o;
    const auto number = [](const QString& text, int low, int high) -> std::optional<int> {
        bool ok = false;
        const int n = text.toInt(&ok);
        return ok && n >= low && n <= high ? std::optional<int>(n) : std::nullopt;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--setup") && hasValue) {
            o.setup = args[++i];
        } else if (a == QLatin1String("--profile") && hasValue) {
            o.profile = args[++i];
        } else if (a == QLatin1String("--depth") && hasValue) {
            const auto n = number(args[++i], 0, 100);
            if (!n) return std::nullopt;
            o.depth = *n;
        } else if (a == QLatin1String("--page") && hasValue) {
            const auto n = number(args[++i], 1, 1 << 20);
            if (!n) return std::nullopt;
            o.page = *n;
        } else if (a == QLatin1String("--rotate") && hasValue) {
            const auto n = number(args[++i], 0, 270);
            if (!n || *n % 90 != 0) return std::nullopt;
            o.rotate = *n;
        } else if (a.startsWith(QLatin1String("--"))) {
            return std::nullopt;
        } else {
            o.images << a;
        }
    }
    if (o.images.isEmpty()) return std::nullopt;
    return o;
}

// Configures both readers: from a profile file when one is named, else from the setup file.
bool Configure(StationStartup& startup, const Options& o) {
    Station& station = startup.station();
    if (o.profile) {
        QString error;
        if (LoadBarcodeProfile(station, SimpleIniSource(), *o.profile, &error)) return true;
        Err(QStringLiteral("kestrova read-barcodes: barcode type '%1' could not be loaded: %2").arg(*o.profile, error));
        return false;
    }
    // Reading a page writes nothing: a setup with a critical directory not set up still gives the barcode type.
    if (!startup.readSetup(o.setup, SetupNeed::Reading)) return false;
    LoadDefaultBarcodeType(station);
    return true;
}

// Reads one page and prints the summary, the six result lists and the page measurements.
bool ReadOne(Station& station, const ImageCodec& codec, const Options& o, const QString& image) {
    auto loaded = codec.loadPage(image, o.page - 1, 1);
    if (!loaded) {
        Err(QStringLiteral("kestrova read-barcodes: %1: %2").arg(image, loaded.error()));
        return false;
    }
    PageImage& page = *loaded.value().image;
    if (o.rotate != 0) {
        if (const Status turned = page.turn(o.rotate); !turned) {
            Err(QStringLiteral("kestrova read-barcodes: %1: %2").arg(image, turned.error()));
            return false;
        }
    }
    barcode::PageBitmap bitmap;
    if (const Status viewed = page.toPageBitmap(bitmap); !viewed) {
        Err(QStringLiteral("kestrova read-barcodes: %1: %2").arg(image, viewed.error()));
        return false;
    }
    barcode::QVCodabar& reader = o.rotate != 0 ? station.RotatedReader : station.MainReader;
    const std::string summary = barcode::ReadBarcodes(reader, &bitmap, o.depth, 1);
    if (o.images.size() > 1) Out(image);
    Out(QString::fromLatin1(summary));
    for (int slot = 1; slot <= barcode::ReaderSlotCount; ++slot)
        Out(QString::fromLatin1(reader.Results[static_cast<std::size_t>(slot)]));
    Out(QStringLiteral("%1 %2 %3 %4")
            .arg(reader.FirstInkedRow)
            .arg(reader.ContentStartRow)
            .arg(reader.LeftMargin)
            .arg(reader.RightMargin));
    return true;
}

int ReadBarcodesCommand(const QStringList& args) {
    const std::optional<Options> options = Parse(args);
    if (!options) {
        Err(QStringLiteral("usage: kestrova read-barcodes ") + Usage);
        return 2;
    }
    ConsolePrompter prompter;
    StationStartup startup(prompter);
    if (!Configure(startup, *options)) return 1;
    const LeptonicaImageCodec codec;
    bool allRead = true;
    for (const QString& image : options->images)
        allRead = ReadOne(startup.station(), codec, *options, image) && allRead;
    return allRead ? 0 : 1;
}

const CommandRegistration registration{
    {QStringLiteral("read-barcodes"), Usage,
     QStringLiteral("Read the barcodes of a page (--page from 1) with the barcode type of the setup file (default: "
                    "kestrova.inf here) or of the profile NAME.stp in the program directory. Prints the summary, "
                    "the result lists of slots 1 to 6 and FirstInkedRow ContentStartRow LeftMargin RightMargin; "
                    "with several images each block follows the image's name."),
     ReadBarcodesCommand}};

} // namespace
} // namespace kestrova::cli
