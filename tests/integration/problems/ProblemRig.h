#pragma once

#include "core/scan/ProblemResolution.h"
#include "integration/decode/DecodeRig.h"

#include <QStringList>
#include <memory>
#include <string>

namespace kestrova::problemtest {

// A batch-decoding station with problem resolution on top, and a view that counts what the main
// window was asked to show.
struct ProblemRig : decodetest::DecodeRig {
    explicit ProblemRig(std::uint32_t options = 0);

    // Writes a problem page as batch decoding leaves one: problems directory + stamp + ".tif" (a
    // G4 TIFF) and its reason file of six slot lines and the problem text. Returns the image's
    // name, or empty when it could not be written.
    QString writeProblem(const QString& stamp, const decodetest::PageSketch& page, const QStringList& slotLines = {},
                         const QString& problemText = QStringLiteral("No acceptable barcodes found."));
    // Writes a page image in any form the imaging side offers under problems directory + name.
    bool writeImage(const QString& name, const PageImage& page, const QString& format);

    // Types text into the name box and presses "Accept".
    void accept(const QString& text);
    // Event log lines written after the first `since` lines (oldest first).
    QStringList logFrom(qsizetype since) const { return log().mid(since); }

    ProblemResolution resolution{station, codec};
    int statusViews = 0;
    int problemViews = 0;
    int focused = 0;
    int pageChanges = 0;
};

inline const QString Codabar = QStringLiteral("CODABAR");

// A list as one text for test messages, "|" between its items.
inline std::string Joined(const QStringList& list) {
    return list.join(QLatin1Char('|')).toStdString();
}

// A page of `dpi` with a Codabar symbol at the top and some print below.
decodetest::PageSketch FormWithCodabar(const QString& data, int dpi = 200, unsigned seed = 1);

} // namespace kestrova::problemtest
