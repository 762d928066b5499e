#include "platform/leptonica/LeptonicaImageCodec.h"
#include "support/BatchSketch.h"
#include "support/StationDir.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

// The mod-10 check digit the reader expects after the digits of a Codabar request number.
QChar CheckDigit(const QString& digits) {
    int total = 0;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        int value = digits[i].digitValue();
        if (i % 2 == 0) value = value * 2 >= 10 ? value * 2 - 9 : value * 2;
        total += value;
    }
    return QChar('0' + (10 - total % 10) % 10);
}

// A page 210 mm wide (A4 by default) at 200 dpi, 1 bit: a request number near the top when digits
// are given, and lines of print below.
barcode::PageBitmap A4Page(const QString& digits, int height = 2339) {
    barcode::PageBitmap page;
    page.width = 1654;
    page.height = height;
    page.bytesPerRow = barcode::PageBitmap::strideFor(page.width);
    page.bits.assign(static_cast<std::size_t>(page.bytesPerRow) * page.height, 0xFF);
    const auto black = [&page](int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) page.row(page.height - 1 - y)[x / 8] &= ~(0x80 >> (x % 8));
    };
    if (!digits.isEmpty()) {
        const QString symbol = QLatin1Char('A') + digits + CheckDigit(digits) + QLatin1Char('A');
        const std::vector<int> modules = decodetest::ZintModules(QStringLiteral("CODABAR"), symbol);
        EXPECT_FALSE(modules.empty()) << symbol.toStdString();
        // Three pixels a module, bars and spaces in turn.
        int x = 900;
        bool bar = true;
        for (const int m : modules) {
            if (bar) black(x, 150, x + m * 3, 240);
            x += m * 3;
            bar = !bar;
        }
    }
    for (int line = 0; line < (page.height - 600) / 40; ++line)
        for (int word = 0; word < 12; ++word)
            black(150 + word * 110, 500 + line * 40, 230 + word * 110, 515 + line * 40);
    return page;
}

using CliRun = test::KestrovaRun;

CliRun DecodeBatch(const test::StationDir& station, const QString& workingDir, const QStringList& args) {
    return test::RunKestrova(station, QStringList{"decode-batch"} + args, workingDir, 120000);
}

QStringList Files(const test::StationDir& station, const char* dir) {
    return QDir(station.path(QString::fromLatin1(dir))).entryList(QDir::Files, QDir::Name);
}

QByteArray Digest(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1) : QByteArray();
}

} // namespace

TEST(DecodeBatchCommand, DecodesTheImageSetAndPrintsTheLogAndTheSummary) {
    test::StationDir station;
    const LeptonicaImageCodec codec;
    const QString imageSet = station.path("scan/qvimageset.tif");
    for (const QString& digits : {QStringLiteral("20260001"), QString()}) {
        auto page = codec.fromPageBitmap(A4Page(digits), 200, 200);
        ASSERT_TRUE(page) << page.error().toStdString();
        const Status saved = page.value()->saveTiff(imageSet, TiffCompression::CcittG4, TiffSaveMode::Append);
        ASSERT_TRUE(saved) << saved.error().toStdString();
    }

    const CliRun run = DecodeBatch(station, station.dir.path(), {});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    // One named page: request number, document code and station, five hexadecimal digits.
    const QStringList decoded = Files(station, "decoded");
    ASSERT_EQ(decoded.size(), 1) << decoded.join(' ').toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^20260001~REQS1[0-9A-F]{5}\\.tif$")).match(decoded[0]).hasMatch())
        << decoded[0].toStdString();
    // One problem page with its reason file.
    const QStringList problems = Files(station, "problems");
    ASSERT_EQ(problems.size(), 2) << problems.join(' ').toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{17}\\.scn$")).match(problems[0]).hasMatch());
    EXPECT_EQ(problems[1], problems[0].chopped(4) + QStringLiteral(".tif"));
    QFile reason(station.path("problems/" + problems[0]));
    ASSERT_TRUE(reason.open(QIODevice::ReadOnly));
    EXPECT_TRUE(reason.readAll().trimmed().endsWith("No acceptable barcodes found."));

    // The log lines of both pages, then the summary.
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6) << run.out.toStdString();
    EXPECT_TRUE(lines[0].contains("1 barcodes found")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("as scanned. Rotate..") && lines[1].endsWith(" in image.")) << lines[1].toStdString();
    EXPECT_EQ(lines.mid(2),
              (QStringList{"Scan Size   :29.71cm", "Resolution  :200 dpi", "Total Pages :2", "29cm Pages  : 2"}));
}

TEST(DecodeBatchCommand, AFailedScanJobOrAShortScanIsReportedAndChangesNothing) {
    test::StationDir station;
    const QString imageSet = station.path("scan/qvimageset.tif");
    QFile junk(imageSet);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("II*\0" + QByteArray(4000, 'x'));
    junk.close();
    const QByteArray before = Digest(imageSet);

    // From another directory, with the setup file named.
    QTemporaryDir elsewhere;
    const CliRun run = DecodeBatch(station, elsewhere.path(), {"--setup", station.path("kestrova.inf")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("The Scan job failed.  You must re-scan the last batch.")) << run.err.toStdString();
    EXPECT_TRUE(run.out.trimmed().endsWith("Sorting..")) << run.out.toStdString();
    EXPECT_TRUE(Files(station, "decoded").isEmpty());
    EXPECT_TRUE(Files(station, "problems").isEmpty());
    EXPECT_EQ(Digest(imageSet), before);
    EXPECT_EQ(QDir(station.path("scan")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"qvimageset.tif"});

    // Page measuring ("Search Option" 3) and a scan 20 cm high: the operator is told to reset the
    // scanner, nothing is decoded.
    ASSERT_TRUE(station.replaceInSetup("15|Barcode Types|2156003388|", "15|Barcode Types|2149711932|"));
    const LeptonicaImageCodec codec;
    auto page = codec.fromPageBitmap(A4Page(QStringLiteral("20260001"), 1600), 200, 200);
    ASSERT_TRUE(page) << page.error().toStdString();
    ASSERT_TRUE(page.value()->saveTiff(imageSet, TiffCompression::CcittG4, TiffSaveMode::Replace));
    const QByteArray shortScan = Digest(imageSet);
    const CliRun shortRun = DecodeBatch(station, station.dir.path(), {});
    EXPECT_EQ(shortRun.exitCode, 1);
    EXPECT_TRUE(
        shortRun.err.contains("WARNING!!!! SCAN SIZE IS SMALLER THAN MINIMUM.\nScan height on this scan was 20cm."))
        << shortRun.err.toStdString();
    EXPECT_EQ(shortRun.out.trimmed(), "Reset Scanner height to 27cm before scanning again.");
    EXPECT_TRUE(Files(station, "decoded").isEmpty());
    EXPECT_TRUE(Files(station, "problems").isEmpty());
    EXPECT_EQ(Digest(imageSet), shortScan);

    EXPECT_EQ(DecodeBatch(station, elsewhere.path(), {"--setup"}).exitCode, 2);
    EXPECT_EQ(DecodeBatch(station, elsewhere.path(), {}).exitCode, 1); // no kestrova.inf there
}

// A NUL in the decoded directory of the setup file: the run stops at the setup check, before any
// page is written (the path cut at the NUL would lie outside the station's directories).
TEST(DecodeBatchCommand, ASetupDirectoryWithANulByteStopsBeforeAnyPage) {
    test::StationDir station;
    const LeptonicaImageCodec codec;
    const QString imageSet = station.path("scan/qvimageset.tif");
    auto page = codec.fromPageBitmap(A4Page(QStringLiteral("20260001")), 200, 200);
    ASSERT_TRUE(page) << page.error().toStdString();
    ASSERT_TRUE(page.value()->saveTiff(imageSet, TiffCompression::CcittG4, TiffSaveMode::Append));
    const QByteArray before = Digest(imageSet);
    const QByteArray decoded = (station.path("decoded") + "/").toUtf8();
    ASSERT_TRUE(station.replaceInSetup(decoded, decoded.chopped(4) + QByteArray("\0", 1) + "ded/"));
    const QStringList rootBefore = QDir(station.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);

    const CliRun run = DecodeBatch(station, station.dir.path(), {});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("A Critical Directory has not been set up correctly.")) << run.err.toStdString();
    EXPECT_EQ(QDir(station.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), rootBefore);
    EXPECT_TRUE(Files(station, "decoded").isEmpty());
    EXPECT_TRUE(Files(station, "problems").isEmpty());
    EXPECT_EQ(Digest(imageSet), before);
}
