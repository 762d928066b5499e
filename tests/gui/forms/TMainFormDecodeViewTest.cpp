#include "core/config/SetupInfo.h"
#include "core/scan/BatchDecodePage.h"
#include "core/scan/ScanControl.h"
#include "gui/forms/TMainForm.h"
#include "gui/widgets/DocumentImageView.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "support/FakeScanner.h"
#include "support/TempStation.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

// Notes the text of a label each time it is painted.
class PaintedTexts : public QObject {
public:
    explicit PaintedTexts(QLabel* label) : m_label(label) { label->installEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_label && event->type() == QEvent::Paint) texts << m_label->text();
        return false;
    }

private:
    QLabel* m_label;
};

} // namespace

TEST(TMainFormDecodeView, ShowsSortingAndFitsAShortScanToTheBatchImageWidth) {
    test::TempStation s;
    ASSERT_TRUE(QDir().mkpath(s.path("scan")));
    s.station.editSetup().SetupInfo.Directories[SlotScan] = s.path("scan/");
    s.station.editSetup().SetupInfo.MinPageHeight = 270;
    s.station.editSetup().ColourDepth = 1;
    s.station.MainReader.Flags |= PageMeasuringFlag;

    // A white page 1600 pixels wide and 10 cm high at 200 dpi.
    barcode::PageBitmap page;
    page.width = 1600;
    page.height = 787;
    page.bytesPerRow = barcode::PageBitmap::strideFor(page.width);
    page.bits.assign(static_cast<std::size_t>(page.bytesPerRow) * page.height, 0xFF);
    const LeptonicaImageCodec codec;
    auto image = codec.fromPageBitmap(page, 200, 200);
    ASSERT_TRUE(image) << image.error().toStdString();
    ASSERT_TRUE(
        image.value()->saveTiff(s.path("scan/qvimageset.tif"), TiffCompression::CcittG4, TiffSaveMode::Replace));

    TMainForm form(s.station);
    test::FakeScanner scanner;
    ScanControl control(s.station, scanner, codec);
    form.setScanControl(&control);
    form.resize(800, 600);
    form.show();
    QCoreApplication::processEvents();
    form.DecodeImageDoc->setScalePercent(100);
    PaintedTexts painted(form.ScannerDocLabel);
    ASSERT_TRUE(form.ScannerDocLabel->isVisible());

    s.prompter.expectMessage(QStringLiteral("SCANNER SIZE PROBLEM"));
    control.SystemLabelClick();
    EXPECT_TRUE(s.prompter.allAnswered());
    EXPECT_TRUE(painted.texts.contains(QStringLiteral("Sorting.."))) << painted.texts.join('|').toStdString();
    EXPECT_EQ(form.DecodeImageDoc->scalePercent(), form.DecodeImageDoc->viewport()->width() * 100 / 1600);
    EXPECT_NE(form.DecodeImageDoc->scalePercent(), 100);
    EXPECT_EQ(form.ScannerDocLabel->text(), "Reset Scanner height to 27cm before scanning again.");
}

// The scanner may write the image-set file as "QVimageset.tif": the status view shows the last
// batch under that name too, as decoding finds it (in any letter case).
TEST(TMainFormDecodeView, TheStatusViewShowsABatchWhoseNameDiffersInLetterCase) {
    test::TempStation s;
    ASSERT_TRUE(QDir().mkpath(s.path("scan")));
    s.station.editSetup().SetupInfo.Directories[SlotScan] = s.path("scan/");
    barcode::PageBitmap page;
    page.width = 640;
    page.height = 480;
    page.bytesPerRow = barcode::PageBitmap::strideFor(page.width);
    page.bits.assign(static_cast<std::size_t>(page.bytesPerRow) * page.height, 0xFF);
    const LeptonicaImageCodec codec;
    auto image = codec.fromPageBitmap(page, 200, 200);
    ASSERT_TRUE(image) << image.error().toStdString();
    const QString batch = s.path("scan/QVimageset.tif");
    ASSERT_TRUE(image.value()->saveTiff(batch, TiffCompression::CcittG4, TiffSaveMode::Replace));
    ASSERT_EQ(ImageSetFile(s.path("scan/")), batch);

    TMainForm form(s.station);
    form.resize(800, 600);
    form.show();
    form.ShowStatusView();
    EXPECT_EQ(form.DecodeImageDoc->image().width(), 640);
}
