// Batch decoding of generated batches with the plain options: every page named, set aside or
// retried as it should be.
#include "DecodeRig.h"
#include "core/station/ScreenCursors.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::decodetest;

namespace {

const QString Codabar = QStringLiteral("CODABAR");
const QString Code39 = QStringLiteral("CODE39");
const QString Code128 = QStringLiteral("CODE128");

// The decoded files whose names start with a request number.
QStringList Named(const QStringList& files, const QString& request) {
    return files.filter(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(request) +
                                           QStringLiteral("~HISTS2[0-9A-F]{5}\\.tif$")));
}

TEST(DecodeImages, EveryPageOfA200DpiBatchIsNamedOrSetAside) {
    DecodeRig rig;
    std::vector<PageSketch> pages;
    pages.push_back(PageSketch(200).symbol(Codabar, "A12345678A", 30, 15).text(40, 250));
    pages.push_back(PageSketch(200).text(30, 180, 2).symbol(Codabar, "A22222222A", 30, 200)); // below 25 %
    pages.push_back(PageSketch(200).symbol(Codabar, "A33333333A", 30, 15).text(40, 200, 3).turned(-90));
    pages.push_back(PageSketch(200).symbol(Codabar, "A44444444A", 30, 15).text(40, 250, 4).turned(180));
    pages.push_back(PageSketch(200).symbol(Codabar, "A66666666A", 30, 15).symbol(Code39, "77777777", 30, 35));
    pages.push_back(PageSketch(200));
    pages.push_back(PageSketch(200).symbol(Code39, "AB/12", 30, 15).text(40, 100, 7));
    pages.push_back(PageSketch(200).symbol(Code128, "..", 30, 15).text(40, 100, 8));
    pages.push_back(PageSketch(200).symbol(Codabar, "A12345678A", 30, 15).text(40, 250, 9));
    ASSERT_EQ(rig.writeBatch(pages), QString());
    std::vector<int> cursors;
    rig.station.setCursorHook([&cursors](int cursor) { cursors.push_back(cursor); });
    int refreshed = 0;
    rig.station.setRefreshStatus([&refreshed] { ++refreshed; });

    rig.run();

    EXPECT_EQ(cursors, (std::vector<int>{crBCodeA, crBCodeB, crBCodeA, crBCodeB, crBCodeA, crBCodeB, crBCodeA, crBCodeB,
                                         crBCodeA, crDefault}));
    EXPECT_EQ(refreshed, 1);

    // Pages 1 and 9 carry the same request number on the same document: two files, two suffixes.
    const QStringList decoded = rig.decoded();
    EXPECT_EQ(Named(decoded, "12345678").size(), 2) << decoded.join(' ').toStdString();
    EXPECT_EQ(Named(decoded, "22222222").size(), 1) << decoded.join(' ').toStdString();
    EXPECT_EQ(Named(decoded, "33333333").size(), 1) << decoded.join(' ').toStdString();
    EXPECT_EQ(decoded.size(), 4);

    // The first page is stored whole but for its last row, as scanned.
    const SavedPage first = InspectPage(rig.decodedDir + Named(decoded, "12345678").value(0), rig.codec);
    EXPECT_EQ(first.width, 1654);
    EXPECT_EQ(first.height, 2338);
    EXPECT_EQ(first.yDpi, 200);
    EXPECT_EQ(first.pages, 1);
    EXPECT_EQ(first.compression.toStdString(), "LZW");
    EXPECT_EQ(first.inkTop, 118);       // 15 mm
    EXPECT_NEAR(first.inkLeft, 157, 5); // the print, 20 mm from the left
    EXPECT_EQ(first.barcodes.toStdString(), "A12345678A:");

    // The sideways page (its top to the left) is stored upright, less the blank strip above its
    // barcode (the left margin of the scan).
    const SavedPage sideways = InspectPage(rig.decodedDir + Named(decoded, "33333333").value(0), rig.codec);
    EXPECT_EQ(sideways.width, 1654);
    EXPECT_EQ(sideways.height, 2339 - 118 - 1);
    EXPECT_EQ(sideways.barcodes.toStdString(), "A33333333A:");
    EXPECT_EQ(sideways.inkTop, 0);
    EXPECT_NEAR(sideways.inkLeft, 157, 5);

    const QStringList log = rig.log();
    ASSERT_GE(log.size(), 9) << log.join('\n').toStdString();
    EXPECT_EQ(log[0].toStdString(), "1 barcodes found : 12345678:");
    EXPECT_EQ(log[1].toStdString(), "1 barcodes found : 22222222:"); // the whole-page retry's summary
    EXPECT_EQ(log[2],
              "No barcode found as scanned. Rotate..1 barcodes found : 33333333: Image assumed to be sideways.");
    EXPECT_EQ(log[5].toStdString(), "No barcode found as scanned. Rotate..No barcode found in image.");

    // Five problem pages, each an image and its reason file, in page order.
    const QStringList problems = rig.problems();
    ASSERT_EQ(problems.size(), 10) << problems.join(' ').toStdString();
    QStringList reasons;
    for (const QString& name : problems) {
        EXPECT_TRUE(name.contains(QRegularExpression(QStringLiteral("^20261208140500\\d{3}\\.(scn|tif)$"))))
            << name.toStdString();
        if (name.endsWith(".scn")) reasons << name;
    }
    ASSERT_EQ(reasons.size(), 5);

    // Upside down without "Automatically Invert": results dropped, the page kept as scanned.
    QStringList lines = rig.reasonLines(reasons[0]);
    ASSERT_EQ(lines.size(), 13) << lines.join('|').toStdString();
    EXPECT_EQ(lines.mid(0, 11).join('|').toStdString(), "||||||||||");
    EXPECT_EQ(lines[11].toStdString(), "44444444:");
    EXPECT_EQ(lines[12].toStdString(), "Image Inverted.");
    const SavedPage inverted = InspectPage(rig.problemsDir + QString(reasons[0]).replace(".scn", ".tif"), rig.codec);
    EXPECT_EQ(inverted.barcodes.toStdString(), "^A44444444A:");
    EXPECT_EQ(inverted.height, 2338);

    lines = rig.reasonLines(reasons[1]);
    EXPECT_EQ(lines.join('|').toStdString(), "||||77777777:|A66666666A:|2 barcodes found");
    lines = rig.reasonLines(reasons[2]);
    EXPECT_EQ(lines.join('|').toStdString(), "||||||No acceptable barcodes found.");
    lines = rig.reasonLines(reasons[3]);
    EXPECT_EQ(lines.join('|').toStdString(), "||||AB/12:||Barcode not usable as a file name: it holds \"/\".");
    lines = rig.reasonLines(reasons[4]);
    EXPECT_EQ(lines.join('|').toStdString(), "||..:||||Barcode not usable as a file name: it is \"..\".");

    // The sideways page's 28 cm join the 29 cm of the others.
    EXPECT_EQ(rig.station.ui.ScannerDocLabel.toStdString(),
              "Scan Size   :29.71cm\nResolution  :200 dpi\nTotal Pages :9\n29cm Pages  : 9\n");
    EXPECT_TRUE(rig.prompter.shown().empty());
}

TEST(DecodeImages, SearchOptionZeroTriesNeitherTheWholePageNorSideways) {
    DecodeRig rig(SearchOption0);
    std::vector<PageSketch> pages;
    pages.push_back(PageSketch(200).text(30, 180, 2).symbol(Codabar, "A22222222A", 30, 200));
    pages.push_back(PageSketch(200).symbol(Codabar, "A33333333A", 30, 15).text(40, 200, 3).turned(-90));
    pages.push_back(PageSketch(200).symbol(Codabar, "A12345678A", 30, 15));
    ASSERT_EQ(rig.writeBatch(pages), QString());

    rig.run();

    EXPECT_EQ(Named(rig.decoded(), "12345678").size(), 1);
    EXPECT_EQ(rig.decoded().size(), 1);
    EXPECT_EQ(rig.problems().size(), 4);
    const QStringList log = rig.log();
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log[0].toStdString(), "No barcode found");
    EXPECT_EQ(log[1].toStdString(), "No barcode found");
}

} // namespace
