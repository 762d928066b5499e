#include "platform/leptonica/LeptonicaImageCodec.h"
#include "support/StationDir.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

// A blank A4 page at 200 dpi as a G4 TIFF in the station's problems directory, with the reason
// file batch decoding writes: the reader's six result lists, then the problem text.
void WriteProblem(const test::StationDir& station, const QString& stamp, const QByteArray& reasons) {
    barcode::PageBitmap page;
    page.width = 1654;
    page.height = 2339;
    page.bytesPerRow = barcode::PageBitmap::strideFor(page.width);
    page.bits.assign(static_cast<std::size_t>(page.bytesPerRow) * page.height, 0xFF);
    const LeptonicaImageCodec codec;
    auto image = codec.fromPageBitmap(page, 200, 200);
    ASSERT_TRUE(image);
    const QString base = station.path(QStringLiteral("problems/") + stamp);
    ASSERT_TRUE(image.value()->saveTiff(base + ".tif", TiffCompression::CcittG4, TiffSaveMode::Replace));
    QFile scn(base + ".scn");
    ASSERT_TRUE(scn.open(QIODevice::WriteOnly));
    scn.write(reasons);
}

QStringList Files(const test::StationDir& station, const char* dir) {
    return QDir(station.path(QString::fromLatin1(dir))).entryList(QDir::Files, QDir::Name);
}

} // namespace

TEST(ProblemsCommand, ListsAcceptsAndDeletesProblemPages) {
    test::StationDir station;
    WriteProblem(station, "20261209101500001", "\n\n123456:654321:\n\n\n\n2 barcodes found\n");
    WriteProblem(station, "20261209101500002", "\n\n\n\n\n\nNo acceptable barcodes found.\n");

    test::KestrovaRun run = test::RunKestrova(station, {"problems"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "1\t20261209101500001.tif\t2 barcodes found\t*All 123456 654321\n"
                       "2\t20261209101500002.tif\tNo acceptable barcodes found.\t\n");

    // Names the reader did not find must be numbers within the setup's 6 to 12 digits.
    for (const char* refused : {"12AB", "12345", "1234567890123"}) {
        run = test::RunKestrova(station, {"problems", "accept", "2", refused});
        EXPECT_EQ(run.exitCode, 1) << refused;
    }
    run = test::RunKestrova(station, {"problems", "accept", "1", "*all"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList filed = Files(station, "decoded");
    ASSERT_EQ(filed.size(), 2);
    EXPECT_TRUE(QRegularExpression("^123456~REQS1x[0-9A-F]{5}\\.tif$").match(filed[0]).hasMatch())
        << filed[0].toStdString();
    EXPECT_TRUE(QRegularExpression("^654321~REQS1x[0-9A-F]{5}\\.tif$").match(filed[1]).hasMatch())
        << filed[1].toStdString();

    EXPECT_EQ(test::RunKestrova(station, {"problems", "delete", "2"}).exitCode, 1); // only one is left
    run = test::RunKestrova(station, {"problems", "delete", "1"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("Deleted " + station.path("problems/20261209101500002.tif"))) << run.out.toStdString();
    EXPECT_TRUE(Files(station, "problems").isEmpty());
    EXPECT_EQ(test::RunKestrova(station, {"problems"}).out, "");

    // The deleted page is kept beside the problems directory and can be put back once.
    run = test::RunKestrova(station, {"problems", "--deleted"});
    EXPECT_TRUE(
        QRegularExpression("^20261209101500002\\.tif\t[-0-9: ]{19}\t[-0-9]{10}\tNo acceptable barcodes found\\.\n$")
            .match(run.out)
            .hasMatch())
        << run.out.toStdString();
    for (const char* bad : {"../problems/x.tif", "20261209101500009.tif"})
        EXPECT_EQ(test::RunKestrova(station, {"problems", "restore", bad}).exitCode, 1) << bad;
    EXPECT_EQ(test::RunKestrova(station, {"problems", "restore", "20261209101500002.tif"}).exitCode, 0);
    EXPECT_EQ(Files(station, "problems"), QStringList({"20261209101500002.scn", "20261209101500002.tif"}));
    EXPECT_EQ(test::RunKestrova(station, {"problems", "--deleted"}).out, "");
    EXPECT_EQ(test::RunKestrova(station, {"problems", "restore", "20261209101500002.tif"}).exitCode, 1);
    EXPECT_EQ(test::RunKestrova(station, {"problems", "delete", "1"}).exitCode, 0);
    EXPECT_EQ(test::RunKestrova(station, {"problems", "accept", "x", "123456"}).exitCode, 2);
}

// "*all" on a page with a candidate that cannot name a file: the others are filed once, and stay
// filed once however often the page is accepted again in later runs.
TEST(ProblemsCommand, AllNeverFilesACandidateTwiceWhenAnotherCannotBeWritten) {
    test::StationDir station;
    const QByteArray tooLong(230, '7');
    WriteProblem(station, "20261209101500001", "\n\n123456:654321:" + tooLong + ":\n\n\n\n3 barcodes found\n");

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        const test::KestrovaRun accepted = test::RunKestrova(station, {"problems", "accept", "1", "*all"});
        EXPECT_EQ(accepted.exitCode, 1) << accepted.out.toStdString();
        EXPECT_TRUE(accepted.out.contains("Barcode not usable as a file name: it is too long."))
            << accepted.out.toStdString();
        const QStringList filed = Files(station, "decoded");
        ASSERT_EQ(filed.size(), 2) << filed.join(' ').toStdString();
        EXPECT_TRUE(filed[0].startsWith("123456~REQS1x") && filed[1].startsWith("654321~REQS1x"));
        EXPECT_EQ(test::RunKestrova(station, {"problems"}).out,
                  "1\t20261209101500001.tif\t3 barcodes found Already filed as 123456, 654321.\t" + tooLong + "\n");
    }
    // Naming the page by hand under a name it already has resolves it without a second file.
    const test::KestrovaRun named = test::RunKestrova(station, {"problems", "accept", "1", "654321"});
    EXPECT_EQ(named.exitCode, 0) << named.err.toStdString();
    EXPECT_TRUE(named.out.contains("The page has already been filed as 654321.")) << named.out.toStdString();
    EXPECT_EQ(Files(station, "decoded").size(), 2);
    EXPECT_TRUE(Files(station, "problems").isEmpty());
}
