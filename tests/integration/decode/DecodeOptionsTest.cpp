// Batch decoding with the options that change it: turning upside-down pages, a file per barcode,
// the storage resolution, the symbologies and the colour depth.
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

TEST(DecodeImages, TurnsUpsideDownPagesAndStoresAFilePerBarcodeAtTheStorageResolution) {
    DecodeRig rig(AutomaticallyInvert);
    rig.station.editSetup().ImagePerBarcode = true;
    rig.station.editSetup().StorageResolution = 200;
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

    // Every decoded page is stored at 200 dpi, scaled from 2480 x 3507 (the page less its last row;
    // the sideways page less its blank strip).
    for (const QString& name : decoded) {
        const SavedPage saved = InspectPage(rig.decodedDir + name, rig.codec);
        EXPECT_EQ(saved.xDpi, 200) << name.toStdString();
        EXPECT_EQ(saved.yDpi, 200) << name.toStdString();
        EXPECT_NEAR(saved.width, 1653, 1) << name.toStdString();
        if (!name.startsWith("90909090")) {
            EXPECT_NEAR(saved.height, 2338, 1) << name.toStdString();
        }
    }

    // The upside-down page is stored turned: its barcode reads left to right at the top.
    const SavedPage turned =
        InspectPage(rig.decodedDir + OnlyMatch(decoded, "^12121212~HISTS2[0-9A-F]{5}\\.tif$"), rig.codec);
    EXPECT_EQ(turned.barcodes.toStdString(), "A12121212A:");
    EXPECT_NEAR(turned.inkTop, 118, 2);  // 15 mm at 200 dpi
    EXPECT_NEAR(turned.inkLeft, 157, 3); // the print starts 20 mm from the left
    // The page after it is upright and stays so.
    const SavedPage next =
        InspectPage(rig.decodedDir + OnlyMatch(decoded, "^34343434~HISTS2[0-9A-F]{5}\\.tif$"), rig.codec);
    EXPECT_EQ(next.barcodes.toStdString(), "A34343434A:");
    EXPECT_NEAR(next.inkTop, 118, 2);

    // Two barcodes: the same page under both numbers, with one suffix.
    const QString first = OnlyMatch(decoded, "^78787878~HISTS2[0-9A-F]{5}\\.tif$");
    const QString second = OnlyMatch(decoded, "^56565656~HISTS2[0-9A-F]{5}\\.tif$");
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_EQ(first.right(9), second.right(9));
    EXPECT_EQ(test::ReadFileBytes(rig.decodedDir + first), test::ReadFileBytes(rig.decodedDir + second));
    EXPECT_FALSE(OnlyMatch(decoded, "^K4711~HISTS2[0-9A-F]{5}\\.tif$").isEmpty());
    // The page fed the other way is upright too, less the blank strip below its print (the left
    // margin of its scan), and so measured as the shorter document.
    const SavedPage other =
        InspectPage(rig.decodedDir + OnlyMatch(decoded, "^90909090~REQS2[0-9A-F]{5}\\.tif$"), rig.codec);
    EXPECT_EQ(other.barcodes.toStdString(), "A90909090A:");
    EXPECT_NEAR(other.inkTop, 118, 2);
    EXPECT_GE(other.inkBottom, other.height - 3);
    EXPECT_NEAR(other.width, 1653, 1);
    EXPECT_EQ(rig.station.task().ImageSetDepth(), 1);
    EXPECT_EQ(rig.imageSetInfo.CompressionCode, 3); // FAXCCITT4
    EXPECT_EQ(rig.imageSetInfo.PageCount, 5);
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
    EXPECT_FALSE(OnlyMatch(decoded, "^12345678~HISTS2[0-9A-F]{5}\\.tif$").isEmpty());
    EXPECT_FALSE(OnlyMatch(decoded, "^K4711Z~HISTS2[0-9A-F]{5}\\.tif$").isEmpty());
    const QStringList problems = rig.problems();
    ASSERT_EQ(problems.size(), 2);
    EXPECT_EQ(rig.reasonLines(problems[0]).join('|').toStdString(),
              "||REQ~11:||||Barcode not usable as a file name: it holds \"~\".");
}

// A grey batch is read through a black and white copy and stored at its own depth, or at the
// station's colour depth when that is lower.
TEST(DecodeImages, AGreyBatchIsStoredAtItsDepth) {
    for (const int colourDepth : {24, 1}) {
        SCOPED_TRACE(colourDepth);
        DecodeRig rig;
        rig.station.editSetup().ColourDepth = colourDepth;
        QFile::remove(rig.imageSet);
        for (const PageSketch& sketch :
             {PageSketch(200).symbol(Codabar, "A13131313A", 30, 15).text(40, 200).turned(-90),
              PageSketch(200).symbol(Codabar, "A24242424A", 30, 15).text(40, 250, 2)}) {
            const auto page = sketch.image(rig.codec);
            ASSERT_TRUE(page);
            const auto grey = page->converted(8);
            ASSERT_TRUE(grey);
            ASSERT_TRUE(grey.value()->saveTiff(rig.imageSet, TiffCompression::Lzw, TiffSaveMode::Append));
        }

        rig.run();

        EXPECT_EQ(rig.station.task().ImageSetDepth(), colourDepth == 1 ? 1 : 8);
        const QStringList decoded = rig.decoded();
        ASSERT_EQ(decoded.size(), 2) << decoded.join(QLatin1Char(' ')).toStdString();
        for (const QString& name : decoded) {
            const auto info = rig.codec.fileInfo(rig.decodedDir + name);
            ASSERT_TRUE(info);
            EXPECT_EQ(info.value().bitsPerPixel, colourDepth == 1 ? 1 : 8) << name.toStdString();
            EXPECT_EQ(info.value().compressionName.toStdString(), "LZW");
            const SavedPage saved = InspectPage(rig.decodedDir + name, rig.codec);
            EXPECT_GT(saved.height, saved.width) << name.toStdString();
            EXPECT_EQ(saved.barcodes, "A" + name.left(8) + "A:") << saved.barcodes.toStdString();
        }
        EXPECT_TRUE(rig.problems().isEmpty());
    }
}

} // namespace

namespace {

TEST(DecodeImages, ACopyForAnotherBarcodeNeverReplacesAnEarlierPagesFile) {
    DecodeRig rig;
    rig.station.editSetup().ImagePerBarcode = true;
    std::vector<PageSketch> pages;
    pages.push_back(
        PageSketch(200).symbol(Codabar, "A56565656A", 30, 15, 4, 8).symbol(Code39, "78787878", 30, 35, 4, 8));
    ASSERT_EQ(rig.writeBatch(pages), QString());
    // Files of the second number under every suffix of the first 400 ms of the rig's clock, as an
    // earlier page left them.
    QStringList earlier;
    for (int ms = 0; ms < 400; ++ms) {
        const QString suffix = QString::number(14 * 3600000 + 5 * 60000 + ms, 16).toUpper().right(5);
        earlier << QStringLiteral("56565656~HISTS2") + suffix + QStringLiteral(".tif");
        ASSERT_TRUE(test::WriteFile(rig.decodedDir + earlier.back(), "earlier page"));
    }

    rig.run();

    const QStringList decoded = rig.decoded();
    ASSERT_EQ(decoded.size(), 402);
    for (const QString& name : earlier)
        EXPECT_EQ(test::ReadFileBytes(rig.decodedDir + name), "earlier page") << name.toStdString();
    const QString first = OnlyMatch(decoded, "^78787878~HISTS2[0-9A-F]{5}\\.tif$");
    ASSERT_FALSE(first.isEmpty());
    const QString second = QStringLiteral("56565656~HISTS2") + first.right(9);
    EXPECT_FALSE(earlier.contains(second));
    EXPECT_EQ(test::ReadFileBytes(rig.decodedDir + second), test::ReadFileBytes(rig.decodedDir + first));
}

} // namespace
