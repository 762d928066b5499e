#include "ProblemWindow.h"

#include "core/config/SetupInfo.h"
#include "core/scan/BatchDecodeNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <array>

namespace kestrova::guitest {

namespace {

// A white A4 page at 100 dpi with a few black bars where print would be.
barcode::PageBitmap Sketch(int seed) {
    barcode::PageBitmap page;
    page.width = 827;
    page.height = 1169;
    page.bytesPerRow = barcode::PageBitmap::strideFor(page.width);
    page.bits.assign(static_cast<std::size_t>(page.bytesPerRow) * page.height, 0xFF);
    for (int line = 0; line < 12; ++line) {
        const int top = page.height - 150 - line * 70; // storage rows run from the bottom
        const int length = 30 + (line * 7 + seed * 5) % 60;
        for (int r = top - 20; r < top; ++r)
            for (int b = 10; b < 10 + length; ++b) page.row(r)[b] = 0;
    }
    return page;
}

} // namespace

ProblemWindow::ProblemWindow() {
    for (const char* dir : {"problems", "decoded", "scan"})
        EXPECT_TRUE(QDir().mkpath(s.path(QString::fromLatin1(dir))));
    setupinformation& setup = s.station.editSetup().SetupInfo;
    setup.Directories[SlotProblems] = s.path(QStringLiteral("problems/"));
    setup.Directories[SlotDecoded] = s.path(QStringLiteral("decoded/"));
    setup.Directories[SlotScan] = s.path(QStringLiteral("scan/"));
    setup.DigitsFrom = 3;
    setup.DigitsTo = 10;
    setup.ScannerId = QStringLiteral("S1");
    form = std::make_unique<TMainForm>(s.station);
    form->setProblemResolution(&problems);
    form->resize(1000, 700);
    form->show();
    QCoreApplication::processEvents();
}

void ProblemWindow::writeProblem(const QString& stamp, const QStringList& slotLines, const QString& problemText) {
    auto image = codec.fromPageBitmap(Sketch(int(stamp.size())), 100, 100);
    ASSERT_TRUE(image) << image.error().toStdString();
    const QString dir = s.station.setup().SetupInfo.Directories[SlotProblems];
    ASSERT_TRUE(image.value()->saveTiff(dir + stamp + ".tif", TiffCompression::CcittG4, TiffSaveMode::Replace));
    std::array<QString, 6> lines;
    for (int i = 0; i < 6; ++i) lines[static_cast<std::size_t>(i)] = slotLines.value(i);
    ASSERT_TRUE(WriteReasonFile(dir + stamp + ".scn", lines, problemText).isEmpty());
}

void ProblemWindow::writeImageSet(int pages) {
    const QString file = s.station.setup().SetupInfo.Directories[SlotScan] + QStringLiteral("qvimageset.tif");
    for (int p = 0; p < pages; ++p) {
        auto image = codec.fromPageBitmap(Sketch(p), 100, 100);
        ASSERT_TRUE(image);
        ASSERT_TRUE(image.value()->saveTiff(file, TiffCompression::CcittG4, TiffSaveMode::Append));
    }
}

QStringList ProblemWindow::problemFiles() const {
    return QDir(s.station.setup().SetupInfo.Directories[SlotProblems]).entryList(QDir::Files, QDir::Name);
}

QStringList ProblemWindow::decodedFiles() const {
    return QDir(s.station.setup().SetupInfo.Directories[SlotDecoded]).entryList(QDir::Files, QDir::Name);
}

void ReleaseMouse(QWidget* widget, Qt::MouseButton button) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), button, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

void PressEnter(QWidget* widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

} // namespace kestrova::guitest
