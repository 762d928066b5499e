#include "platform/leptonica/LeptonicaImageCodec.h"
#include "support/BatchSketch.h"
#include "support/StationDir.h"

#include <gtest/gtest.h>

using namespace kestrova;
using kestrova::test::StationDir;

TEST(ConvertCommand, StoresTheDecodedImagesAndReportsWhatItLeft) {
    StationDir station;
    const LeptonicaImageCodec codec;
    decodetest::PageSketch page(100, 210.0, 297.0);
    page.text(20.0, 100.0);
    const std::unique_ptr<PageImage> image = page.image(codec);
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->saveTiff(station.path("decoded/12345678~REQS10A1B2.tif"), TiffCompression::CcittG4,
                                TiffSaveMode::Replace));
    QFile broken(station.path("decoded/87654321~REQS10A1B2.png"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not an image");
    broken.close();

    const test::KestrovaRun run = test::RunKestrova(station, {"convert"});
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Could not read " + broken.fileName() + " because ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("2 found, 1 stored, 1 left after errors")) << run.out.toStdString();
    EXPECT_EQ(QDir(station.path("store/12")).entryList({"12345678~REQS10A*.tif"}, QDir::Files).size(), 1);
    EXPECT_EQ(QDir(station.path("local")).entryList({"12345678~REQS10A*.tif"}, QDir::Files).size(), 1);
    EXPECT_FALSE(QFile::exists(station.path("decoded/12345678~REQS10A1B2.tif")));

    EXPECT_EQ(test::RunKestrova(station, {"convert", "--bad"}).exitCode, 2);
}
