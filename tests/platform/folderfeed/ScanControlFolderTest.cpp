// The scan handlers with the real folder feeder and image codec: from an empty scan directory to
// a decoded batch.
#include "core/config/SetupInfo.h"
#include "core/scan/ScanControl.h"
#include "platform/folderfeed/FolderFeeder.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/sane/ScanTestSupport.h"
#include "support/TempStation.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

TEST(ScanControlWithFolderFeeder, FirstScanMakesTheImageSetFromTheTemplateThenReplacesItWithTheBatch) {
    test::EnsureCoreApplication();
    test::TempStation temp;
    Station& station = temp.station;
    ASSERT_TRUE(QFile::copy(QStringLiteral(KESTROVA_SOURCE_DIR "/data/qvimageset.tif"),
                            station.setup().ProgramDir + "qvimageset.tif"));
    const QString scanDir = temp.path(QStringLiteral("station/scan/"));
    station.editSetup().SetupInfo.Directories[SlotScan] = scanDir;
    const QString problemsDir = temp.path(QStringLiteral("station/problems/"));
    station.editSetup().SetupInfo.Directories[SlotProblems] = problemsDir;
    station.editSetup().SetupInfo.Directories[SlotDecoded] = temp.path(QStringLiteral("station/decoded/"));
    QDir().mkpath(problemsDir);
    const QString feeder = temp.path(QStringLiteral("feeder/"));
    QDir().mkpath(feeder);

    LeptonicaImageCodec codec;
    FolderFeeder scanner(codec, feeder);
    ScanControl control(station, scanner, codec);
    int statusViews = 0;
    control.setView({[] { return false; }, [&] { ++statusViews; }});

    // The template becomes the scan directory's image-set file.
    ASSERT_TRUE(control.nextscanner());
    const Result<ImageFileInfo> made = codec.fileInfo(scanDir + "qvimageset.tif");
    ASSERT_TRUE(made) << made.error().toStdString();
    EXPECT_EQ(made.value().bitsPerPixel, 1);
    EXPECT_EQ(made.value().compressionName, "FAXCCITT4");
    EXPECT_EQ(made.value().width, 1654);
    EXPECT_EQ(made.value().height, 2339);

    // A batch of two pages replaces it and is decoded: two pages without a barcode.
    Result<LoadedPage> page = codec.loadPage(station.setup().ProgramDir + "qvimageset.tif", 0, 1);
    ASSERT_TRUE(page);
    ASSERT_TRUE(page.value().image->saveAs(feeder + "1.png", ImageFileFormat::Png));
    ASSERT_TRUE(page.value().image->saveAs(feeder + "2.png", ImageFileFormat::Png));
    station.task().setStoreFileTimerEnabled(true);
    control.ScanbuttonClick();
    EXPECT_TRUE(control.scanning());
    EXPECT_FALSE(station.task().StoreFileTimerEnabled());
    ASSERT_TRUE(test::WaitUntil([&] { return !control.scanning(); }));
    EXPECT_EQ(codec.pageCount(scanDir + "qvimageset.tif").value(), 2);
    EXPECT_TRUE(station.ui.ScannerDocLabel.contains("Total Pages :2\n")) << station.ui.ScannerDocLabel.toStdString();
    EXPECT_EQ(QDir(problemsDir).entryList({"*.tif"}, QDir::Files).size(), 2);
    EXPECT_EQ(QDir(problemsDir).entryList({"*.scn"}, QDir::Files).size(), 2);
    EXPECT_EQ(statusViews, 0);
    EXPECT_TRUE(station.task().StoreFileTimerEnabled());
    EXPECT_TRUE(station.task().ConvertStop() && station.task().BackupStop());

    // An empty feeder: the failure's log line, no box, the batch stays.
    control.ScanMoreButtonClick();
    EXPECT_FALSE(control.scanning());
    EXPECT_TRUE(station.eventLog().lines().front().endsWith(" +Problem with Scanner"));
    EXPECT_EQ(codec.pageCount(scanDir + "qvimageset.tif").value(), 2);
    EXPECT_TRUE(temp.prompter.shown().empty());
}

} // namespace
