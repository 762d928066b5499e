#pragma once

#include "core/scan/ProblemResolution.h"
#include "gui/forms/TMainForm.h"
#include "gui/widgets/ElidedLabel.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "support/TempStation.h"

#include <QStringList>
#include <memory>

class QWidget;

namespace kestrova::guitest {

// A station in a temporary directory with problems, decoded and scan directories, and a main
// window with problem resolution over the real imaging adapter.
struct ProblemWindow {
    ProblemWindow();

    // Writes a problem page as batch decoding leaves one: a G4 TIFF and its reason file.
    void writeProblem(const QString& stamp, const QStringList& slotLines,
                      const QString& problemText = QStringLiteral("No acceptable barcodes found."));
    // Writes the scan directory's image-set file with this many pages.
    void writeImageSet(int pages);
    QStringList problemFiles() const;
    QStringList decodedFiles() const;

    test::TempStation s;
    LeptonicaImageCodec codec;
    ProblemResolution problems{s.station, codec};
    std::unique_ptr<TMainForm> form;
};

// A left, right or middle click released on a widget.
void ReleaseMouse(QWidget* widget, Qt::MouseButton button);
// Enter pressed in a widget.
void PressEnter(QWidget* widget);

} // namespace kestrova::guitest
