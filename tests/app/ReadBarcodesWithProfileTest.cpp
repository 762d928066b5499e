#include "platform/leptonica/LeptonicaImageCodec.h"
#include "support/BatchSketch.h"
#include "support/StationDir.h"

#include <gtest/gtest.h>

using namespace kestrova;

namespace {

// A white 1-bit page of 1216 x 600 pixels with the symbol drawn 40 rows high near its top,
// one-module elements `narrow` pixels wide and longer ones `wide`, written as a G4 TIFF.
void WritePage(const QString& path, const std::vector<int>& modules, int narrow, int wide) {
    ASSERT_FALSE(modules.empty()) << "zint drew no symbol for " << path.toStdString();
    barcode::PageBitmap page;
    page.width = 1216;
    page.height = 600;
    page.bytesPerRow = barcode::PageBitmap::strideFor(page.width);
    page.bits.assign(static_cast<std::size_t>(page.bytesPerRow) * page.height, 0xFF);
    int x = 150;
    bool bar = true;
    for (int modulesWide : modules) {
        const int pixels = modulesWide == 1 ? narrow : wide;
        for (int dx = 0; bar && dx < pixels; ++dx)
            for (int y = 100; y < 140; ++y) page.row(page.height - 1 - y)[(x + dx) / 8] &= ~(0x80 >> ((x + dx) % 8));
        x += pixels;
        bar = !bar;
    }
    ASSERT_LT(x, page.width - 100);
    const LeptonicaImageCodec codec;
    auto image = codec.fromPageBitmap(page, 200, 200);
    ASSERT_TRUE(image) << image.error().toStdString();
    const Status saved = image.value()->saveTiff(path, TiffCompression::CcittG4, TiffSaveMode::Replace);
    ASSERT_TRUE(saved) << saved.error().toStdString();
}

struct CliRun {
    int exitCode = -1;
    QStringList lines;
    QString err;
};

CliRun ReadBarcodes(const test::StationDir& station, const QStringList& args) {
    const test::KestrovaRun run = test::RunKestrova(station, QStringList{"read-barcodes"} + args);
    return {run.exitCode, run.out.split('\n'), run.err};
}

// Codabar ranges 6-9 / 12-20 (268 is 12 in the reader's byte), Code 39 ranges as narrow as the
// setup file's: the reader reads Code 39 with the Codabar ranges all the same.
const QByteArray WideCode39Profile = "[Scanning]\r\nMinimum Page Height=270\r\n"
                                     "[Barcode Profiles\\Barcode Profile:0]\r\nProfile Name=Wide Code 39\r\n"
                                     "Number of Digits Range: From=4\r\nNumber of Digits Range: To=12\r\n"
                                     "Codabar Narrow Bar Bit Range: From=6\r\nCodabar Narrow Bar Bit Range: To=9\r\n"
                                     "Codabar Wide Bar Bit Range: From=268\r\nCodabar Wide Bar Bit Range: To=20\r\n"
                                     "Code 39 Narrow Bar Bit Range: From=2\r\nCode 39 Narrow Bar Bit Range: To=4\r\n"
                                     "Code 39 Wide Bar Bit Range: From=5\r\nCode 39 Wide Bar Bit Range: To=9\r\n"
                                     "Barcode Option: Code 39=1\r\nSearch Option=1\r\n";

} // namespace

TEST(ReadBarcodesWithProfile, APageReadsWithTheTypeThatFitsIt) {
    test::StationDir station;
    // Default type: Codabar with start characters A to D, narrow 2-4 and wide 5-9 pixels.
    ASSERT_TRUE(station.replaceInSetup("15|Barcode Types|2156003388|", "15|Barcode Types|2155872316|"));
    QFile profile(station.path("Wide Code 39.stp"));
    ASSERT_TRUE(profile.open(QIODevice::WriteOnly));
    profile.write(WideCode39Profile);
    profile.close();

    const QString wide39 = station.path("wide39.tif"), narrow39 = station.path("narrow39.tif");
    const QString codabar = station.path("codabar.tif");
    WritePage(wide39, decodetest::ZintModules("CODE39", "AB1234"), 7, 16);
    WritePage(narrow39, decodetest::ZintModules("CODE39", "AB1234"), 3, 7);
    WritePage(codabar, decodetest::ZintModules("CODABAR", "A123456A"), 3, 7);

    CliRun run = ReadBarcodes(station, {"--profile", "Wide Code 39", wide39});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_GE(run.lines.size(), 8);
    EXPECT_EQ(run.lines[0], "1 barcodes found : AB1234:");
    EXPECT_EQ(run.lines[5], "AB1234:");

    run = ReadBarcodes(station, {wide39});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.lines[0], "No barcode found");

    run = ReadBarcodes(station, {codabar});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.lines[0], "1 barcodes found : 123456:");
    EXPECT_EQ(run.lines[6], "A123456A:");

    // Several pages, each block after its name; the profile's own Code 39 ranges would have
    // fitted the narrow Code 39 page, but only the Codabar ranges reach the reader.
    run = ReadBarcodes(station, {"--profile", "Wide Code 39", codabar, narrow39});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_GE(run.lines.size(), 18);
    EXPECT_EQ(run.lines[0], codabar);
    EXPECT_EQ(run.lines[1], "No barcode found");
    EXPECT_EQ(run.lines[9], narrow39);
    EXPECT_EQ(run.lines[10], "No barcode found");
}

TEST(ReadBarcodesWithProfile, MissingProfilesAndPagesAreReported) {
    test::StationDir station;
    QFile(station.path("NoZero.stp")).open(QIODevice::WriteOnly);
    const QString page = station.path("page.tif");
    WritePage(page, decodetest::ZintModules("CODABAR", "A123456A"), 3, 7);

    CliRun run = ReadBarcodes(station, {"--profile", "Absent", page});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("barcode type 'Absent' could not be loaded")) << run.err.toStdString();
    run = ReadBarcodes(station, {"--profile", "NoZero", page});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Barcode Profiles\\Barcode Profile:0")) << run.err.toStdString();

    QFile junk(station.path("junk.tif"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(2000, 'x'));
    junk.close();
    run = ReadBarcodes(station, {junk.fileName(), page});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(junk.fileName())) << run.err.toStdString();
    EXPECT_EQ(run.lines.value(0), page); // the readable page is still read
    EXPECT_EQ(ReadBarcodes(station, {"--depth", "101", page}).exitCode, 2);
    EXPECT_EQ(ReadBarcodes(station, {}).exitCode, 2);
}
