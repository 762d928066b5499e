// Batch decoding with the options that change it: turning upside-down pages, a file per barcode,
// the storage resolution, page measuring with blank pages and the size summary, and the scan size
// check.
#include "DecodeRig.h"
#include "barcode/QVCodabar.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::decodetest;

namespace {

const QString Codabar = QStringLiteral("CODABAR");
const QString Code39 = QStringLiteral("CODE39");
const QString Code128 = QStringLiteral("CODE128");
const QString Code25 = QStringLiteral("C25INTER");

QString Only(const QStringList& files, const QString& pattern) {
    const QStringList found = files.filter(QRegularExpression(pattern));
    return found.size() == 1 ? found.first() : QString();
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(DecodeImages, TurnsUpsideDownPagesAndStoresAFilePerBarcodeAtTheStorageResolution) {
    DecodeRig rig(AutomaticallyInvert);
    rig.station.ImagePerBarcode = true;
    rig.station.StorageResolution = 200;
    std::vector<PageSketch> pages;
    // Elements of 4 and 8 pixels stay readable at 200 dpi.
    pages.push_back(PageSketch(300).symbol(Codabar, "A12121212A", 30, 15, 4, 8).text(40, 250).turned(180));
    pages.push_back(PageSketch(300).symbol(Codabar, "A34343434A", 30, 15, 4, 8).text(40, 250, 2));
    pages.push_back(
        PageSketch(300).symbol(Codabar, "A56565656A", 30, 15, 4, 8).symbol(Code39, "78787878", 30, 35, 4, 8));
    pages.push_back(PageSketch(300).symbol(Code128, "K4711", 30, 15).text(90, 200));
    // Fed sideways with its top to the right: read upside down after the quarter turn.
    pages.push_back(PageSketch(300).symbol(Codabar, "A90909090A", 30, 15, 4, 8).text(40, 200, 5).turned(90));
    ASSERT_EQ(rig.writeBatch(pages), QString());

    rig.run();

    const QStringList decoded = rig.decoded();
    ASSERT_EQ(decoded.size(), 6) << decoded.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(rig.problems().isEmpty()) << rig.problems().join(' ').toStdString();

    // Every decoded page is stored at 200 dpi, scaled from 2480 x 3507 (the page less its last row).
    for (const QString& name : decoded) {
        if (name.startsWith("90909090")) continue;
        const SavedPage saved = InspectPage(rig.decodedDir + name, rig.codec);
        EXPECT_EQ(saved.xDpi, 200) << name.toStdString();
        EXPECT_EQ(saved.yDpi, 200) << name.toStdString();
        EXPECT_NEAR(saved.width, 1653, 1) << name.toStdString();
        EXPECT_NEAR(saved.height, 2338, 1) << name.toStdString();
    }

    // The upside-down page is stored turned: its barcode reads left to right at the top.
    const SavedPage turned =
        InspectPage(rig.decodedDir + Only(decoded, "^12121212~HISTS2[0-9A-F]{5}\\.tif$"), rig.codec);
    EXPECT_EQ(turned.barcodes, "A12121212A:");
    EXPECT_NEAR(turned.inkTop, 118, 2);  // 15 mm at 200 dpi
    EXPECT_NEAR(turned.inkLeft, 157, 3); // the print starts 20 mm from the left
    // The page after it is upright and stays so.
    const SavedPage next = InspectPage(rig.decodedDir + Only(decoded, "^34343434~HISTS2[0-9A-F]{5}\\.tif$"), rig.codec);
    EXPECT_EQ(next.barcodes, "A34343434A:");
    EXPECT_NEAR(next.inkTop, 118, 2);

    // Two barcodes: the same page under both numbers, with one suffix.
    const QString first = Only(decoded, "^78787878~HISTS2[0-9A-F]{5}\\.tif$");
    const QString second = Only(decoded, "^56565656~HISTS2[0-9A-F]{5}\\.tif$");
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_EQ(first.right(9), second.right(9));
    EXPECT_EQ(Bytes(rig.decodedDir + first), Bytes(rig.decodedDir + second));
    EXPECT_FALSE(Only(decoded, "^K4711~HISTS2[0-9A-F]{5}\\.tif$").isEmpty());
    // The page fed the other way is upright too, less the blank strip below its print (the left
    // margin of its scan), and so measured as the shorter document.
    const SavedPage other = InspectPage(rig.decodedDir + Only(decoded, "^90909090~REQS2[0-9A-F]{5}\\.tif$"), rig.codec);
    EXPECT_EQ(other.barcodes, "A90909090A:");
    EXPECT_NEAR(other.inkTop, 118, 2);
    EXPECT_GE(other.inkBottom, other.height - 3);
    EXPECT_NEAR(other.width, 1653, 1);
    EXPECT_EQ(rig.station.ImageSetDepth, 1);
    EXPECT_EQ(rig.station.TilInfo.CompressionCode, 3); // FAXCCITT4
    EXPECT_EQ(rig.station.TilInfo.PageCount, 5);
}

TEST(DecodeImages, Code25AndCode128PagesAreNamedByTheirTexts) {
    DecodeRig rig;
    rig.symbologies |= barcode::FlagCode25;
    rig.digitsFrom = 6; // short Code 25 readings are found in any print
    rig.setOptions(0);
    ASSERT_EQ(rig.writeBatch({PageSketch(200).symbol(Code25, "12345678", 30, 15).text(40, 250),
                              PageSketch(300).symbol(Code128, "K4711Z", 30, 15).text(40, 250, 2),
                              PageSketch(300).symbol(Code128, "REQ~11", 30, 15).text(40, 250, 3)}),
              QString());

    rig.run();

    const QStringList decoded = rig.decoded();
    ASSERT_EQ(decoded.size(), 2) << decoded.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(Only(decoded, "^12345678~HISTS2[0-9A-F]{5}\\.tif$").isEmpty());
    EXPECT_FALSE(Only(decoded, "^K4711Z~HISTS2[0-9A-F]{5}\\.tif$").isEmpty());
    const QStringList problems = rig.problems();
    ASSERT_EQ(problems.size(), 2);
    EXPECT_EQ(rig.reasonLines(problems[0]),
              (QStringList{"", "", "REQ~11:", "", "", "", "Barcode not usable as a file name: it holds \"~\"."}));
}

TEST(DecodeImages, PageMeasuringCropsDropsBlankPagesAndGroupsTheSummary) {
    DecodeRig rig(SearchOption3);
    std::vector<PageSketch> pages;
    pages.push_back(PageSketch(200).symbol(Codabar, "A10101010A", 25, 10).text(30, 293));                // 29 cm
    pages.push_back(PageSketch(200, 210, 310).symbol(Codabar, "A20202020A", 25, 10).text(30, 306));      // 30 cm
    pages.push_back(PageSketch(200).symbol(Codabar, "A30303030A", 25, 10).text(30, 214, 3));             // 21 cm
    pages.push_back(PageSketch(200));                                                                    // blank
    pages.push_back(PageSketch(200).text(20, 152, 5));                                                   // 15 cm
    pages.push_back(PageSketch(200).symbol(Codabar, "A40404040A", 25, 10).text(30, 200, 6).turned(-90)); // 18 cm
    ASSERT_EQ(rig.writeBatch(pages), QString());

    rig.run();

    // The 21 cm page is the shorter document; the others the longer one.
    const QStringList decoded = rig.decoded();
    ASSERT_EQ(decoded.size(), 4) << decoded.join(' ').toStdString();
    const QString a4 = Only(decoded, "^10101010~HISTS2[0-9A-F]{5}\\.tif$");
    const QString longer = Only(decoded, "^20202020~HISTS2[0-9A-F]{5}\\.tif$");
    const QString shorter = Only(decoded, "^30303030~REQS2[0-9A-F]{5}\\.tif$");
    ASSERT_FALSE(a4.isEmpty());
    ASSERT_FALSE(longer.isEmpty());
    ASSERT_FALSE(shorter.isEmpty());
    const QString sideways = Only(decoded, "^40404040~REQS2[0-9A-F]{5}\\.tif$");
    ASSERT_FALSE(sideways.isEmpty());

    // Cropped to the content: no white columns on the left, the print reaches the bottom edge, and
    // nothing is cut at the top.
    for (const auto& [name, page] : {std::pair{a4, 0}, {longer, 1}, {shorter, 2}}) {
        const SavedPage saved = InspectPage(rig.decodedDir + name, rig.codec);
        const SavedPage scanned = InspectPage(rig.imageSet, rig.codec, page);
        EXPECT_EQ(saved.inkLeft, 0) << name.toStdString();
        EXPECT_EQ(saved.inkTop, 79) << name.toStdString(); // 10 mm
        EXPECT_GE(saved.inkBottom, saved.height - 1) << name.toStdString();
        EXPECT_NEAR(saved.height, scanned.inkBottom, 3) << name.toStdString();
        EXPECT_EQ(saved.inkRight - saved.inkLeft, scanned.inkRight - scanned.inkLeft) << name.toStdString();
        EXPECT_LT(saved.width, 1654 - 150) << name.toStdString();
    }

    // The blank page is dropped; the page without a barcode is a problem page.
    const QStringList problems = rig.problems();
    ASSERT_EQ(problems.size(), 2) << problems.join(' ').toStdString();
    EXPECT_EQ(rig.reasonLines(problems[0]).value(6), "No acceptable barcodes found.");
    const SavedPage problem = InspectPage(rig.problemsDir + problems[1], rig.codec);
    EXPECT_NEAR(problem.height, InspectPage(rig.imageSet, rig.codec, 4).inkBottom, 3);
    EXPECT_EQ(problem.inkLeft, 0);

    // The sideways page is cropped on all four sides: the blank strip above its barcode (the left
    // margin of the scan) and the measured margins of the turned page.
    const SavedPage turned = InspectPage(rig.decodedDir + sideways, rig.codec);
    EXPECT_EQ(turned.barcodes, "A40404040A:");
    EXPECT_EQ(turned.inkTop, 0);
    EXPECT_EQ(turned.inkLeft, 0);
    EXPECT_GE(turned.inkBottom, turned.height - 1);
    EXPECT_NEAR(turned.height, 1547 - 79, 3); // print from 10 mm down to 196 mm

    // A blank page counts as a whole page.
    EXPECT_EQ(rig.station.ui.ScannerDocLabel, "Scan Size   :29.71cm\nResolution  :200 dpi\nTotal Pages :6\n"
                                              "29cm Pages  : 3\n21cm Pages  : 1\n15cm Pages  : 1\n18cm Pages  : 1\n");
}

// "Stop Searching After First Barcode" keeps no page measurements: no blank page, no crop.
TEST(DecodeImages, BlankPagesAreDroppedOnlyWithPageMeasuring) {
    const struct {
        std::uint32_t options;
        int problemFiles;
        int decodedHeight;
    } rows[] = {{0, 2, 2338}, {SearchOption3, 0, 767}, {SearchOption3 | barcode::FlagStopAfterFirst, 2, 2338}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options);
        DecodeRig rig(row.options);
        ASSERT_EQ(rig.writeBatch({PageSketch(200), PageSketch(200).symbol(Codabar, "A1234A", 25, 10).text(30, 100)}),
                  QString());
        rig.run();
        ASSERT_EQ(rig.decoded().size(), 1);
        EXPECT_EQ(rig.problems().size(), row.problemFiles);
        EXPECT_NEAR(InspectPage(rig.decodedDir + rig.decoded()[0], rig.codec).height, row.decodedHeight, 4);
    }
}

// A grey batch is read through a black and white copy and stored at its own depth, or at the
// station's colour depth when that is lower.
TEST(DecodeImages, AGreyBatchIsStoredAtItsDepth) {
    for (const int colourDepth : {24, 1}) {
        SCOPED_TRACE(colourDepth);
        DecodeRig rig;
        rig.station.ColourDepth = colourDepth;
        QFile::remove(rig.imageSet);
        for (const PageSketch& sketch :
             {PageSketch(200).symbol(Codabar, "A13131313A", 30, 15).text(40, 200).turned(-90),
              PageSketch(200).symbol(Codabar, "A24242424A", 30, 15).text(40, 250, 2)}) {
            const auto page = sketch.image(rig.codec);
            ASSERT_TRUE(page);
            const auto grey = page->converted(8);
            ASSERT_TRUE(grey);
            ASSERT_TRUE(grey.value->saveTiff(rig.imageSet, TiffCompression::Lzw, TiffSaveMode::Append));
        }

        rig.run();

        EXPECT_EQ(rig.station.ImageSetDepth, colourDepth == 1 ? 1 : 8);
        const QStringList decoded = rig.decoded();
        ASSERT_EQ(decoded.size(), 2) << decoded.join(QLatin1Char(' ')).toStdString();
        for (const QString& name : decoded) {
            const auto info = rig.codec.fileInfo(rig.decodedDir + name);
            ASSERT_TRUE(info);
            EXPECT_EQ(info.value.bitsPerPixel, colourDepth == 1 ? 1 : 8) << name.toStdString();
            EXPECT_EQ(info.value.compressionName, "LZW");
            const SavedPage saved = InspectPage(rig.decodedDir + name, rig.codec);
            EXPECT_GT(saved.height, saved.width) << name.toStdString();
            EXPECT_EQ(saved.barcodes, "A" + name.left(8) + "A:");
        }
        EXPECT_TRUE(rig.problems().isEmpty());
    }
}

TEST(DecodeImages, AScanShorterThanTheMinimumIsNotDecoded) {
    DecodeRig rig(SearchOption3);
    rig.station.SetupInfo.MinPageHeight = 280;
    ASSERT_EQ(rig.writeBatch({PageSketch(200, 210, 200).symbol(Codabar, "A1234A", 25, 10),
                              PageSketch(200, 210, 200).symbol(Codabar, "A5678A", 25, 10)}),
              QString());
    const QByteArray before = Bytes(rig.imageSet);
    rig.prompter.expectMessage("SCANNER SIZE PROBLEM");

    rig.run();

    ASSERT_EQ(rig.prompter.shown().size(), 1u);
    EXPECT_EQ(rig.prompter.shown()[0].text,
              "WARNING!!!! SCAN SIZE IS SMALLER THAN MINIMUM.\nScan height on this scan was 20cm.\n"
              "Pages longer than this might have been truncated.Please change the scan size back to 28cm and then "
              "re-scan these documents");
    EXPECT_EQ(rig.prompter.shown()[0].icon, MessageIcon::Error);
    EXPECT_EQ(rig.station.ui.ScannerDocLabel, "Reset Scanner height to 28cm before scanning again.");
    EXPECT_TRUE(rig.decoded().isEmpty());
    EXPECT_TRUE(rig.problems().isEmpty());
    EXPECT_EQ(Bytes(rig.imageSet), before);

    // Without page measuring the scan size is not checked.
    rig.setOptions(0);
    rig.run();
    EXPECT_EQ(rig.decoded().size(), 2);
    EXPECT_EQ(rig.prompter.shown().size(), 1u);
}

} // namespace
