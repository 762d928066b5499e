#include "ProblemRig.h"

#include "core/scan/BatchDecodeNames.h"

#include <array>

namespace kestrova::problemtest {

using decodetest::PageSketch;

ProblemRig::ProblemRig(std::uint32_t options) : DecodeRig(options) {
    ProblemResolutionView view;
    view.ShowStatusView = [this] { ++statusViews; };
    view.ShowProblemView = [this] { ++problemViews; };
    view.FocusNewBarcode = [this] { ++focused; };
    view.PageChanged = [this] { ++pageChanges; };
    resolution.setView(std::move(view));
    station.editSetup().SetupInfo.DigitsFrom = 2;
    station.editSetup().SetupInfo.DigitsTo = 20;
}

QString ProblemRig::writeProblem(const QString& stamp, const PageSketch& page, const QStringList& slotLines,
                                 const QString& problemText) {
    const std::unique_ptr<PageImage> image = page.image(codec);
    const QString name = stamp + QStringLiteral(".tif");
    if (!image || !image->saveTiff(problemsDir + name, TiffCompression::CcittG4, TiffSaveMode::Replace)) return {};
    std::array<QString, 6> lines;
    for (int i = 0; i < 6; ++i) lines[static_cast<std::size_t>(i)] = slotLines.value(i);
    if (!WriteReasonFile(problemsDir + stamp + QStringLiteral(".scn"), lines, problemText).isEmpty()) return {};
    return name;
}

bool ProblemRig::writeImage(const QString& name, const PageImage& page, const QString& format) {
    const QString path = problemsDir + name;
    if (format == QLatin1String("png")) return static_cast<bool>(page.saveAs(path, ImageFileFormat::Png));
    if (format == QLatin1String("lzw"))
        return static_cast<bool>(page.saveTiff(path, TiffCompression::Lzw, TiffSaveMode::Replace));
    return static_cast<bool>(page.saveTiff(path, TiffCompression::CcittG4, TiffSaveMode::Replace));
}

void ProblemRig::accept(const QString& text) {
    resolution.newbarcodeText = text;
    resolution.AcceptProblemName();
}

PageSketch FormWithCodabar(const QString& data, int dpi, unsigned seed) {
    return PageSketch(dpi).symbol(QStringLiteral("CODABAR"), data, 30, 15).text(40, 250, seed);
}

} // namespace kestrova::problemtest
