#include "core/scan/ScanControl.h"
#include "core/config/SetupInfo.h"
#include "support/FakeScanner.h"
#include "support/TempStation.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace kestrova;
using test::FakeScanner;

namespace {

// A codec that can read nothing: the template of the image-set file is never found.
class NoCodec : public ImageCodec {
public:
    Result<ImageFileInfo> fileInfo(const QString&, int) const override { return fail<ImageFileInfo>(); }
    Result<int> pageCount(const QString&) const override { return fail<int>(); }
    Result<LoadedPage> loadPage(const QString&, int, int) const override { return fail<LoadedPage>(); }
    Result<qint64> loadBytes(const QString&, int, int) const override { return fail<qint64>(); }
    qint64 pageLimit() const override { return MaxPageBitmapBytes; }
    Result<std::unique_ptr<PageImage>> fromPageBitmap(const barcode::PageBitmap&, int, int) const override {
        return fail<std::unique_ptr<PageImage>>();
    }

private:
    template <typename T> static Result<T> fail() { return Result<T>::failure(QStringLiteral("no codec")); }
};

// Records, in one list, the scanner's calls, the log lines, the view calls, decoding and every
// change of the store timer.
struct ScanFixture : ::testing::Test {
    test::TempStation temp;
    Station& station = temp.station;
    NoCodec codec;
    FakeScanner scanner;
    ScanControl control{station, scanner, codec};
    QStringList& effects = scanner.effects();
    bool problemViewShowing = false;
    bool timerSeen = false;

    void SetUp() override {
        station.editSetup().SetupInfo.Directories[SlotScan] = temp.path(QStringLiteral("scan/"));
        QDir().mkpath(station.setup().SetupInfo.Directories[SlotScan]);
        test::Touch(station.setup().SetupInfo.Directories[SlotScan] + QStringLiteral("qvimageset.tif"));
        station.task().setStoreFileTimerEnabled(true);
        timerSeen = true;
        QObject::connect(&station.eventLog(), &EventLog::lineAdded, [this](const QString& line) {
            effects.append(QStringLiteral("log ") + line.mid(line.indexOf(QStringLiteral(" +")) + 2));
        });
        QObject::connect(&station, &Station::stateChanged, [this] {
            if (station.task().StoreFileTimerEnabled() == timerSeen) return;
            timerSeen = station.task().StoreFileTimerEnabled();
            effects.append(timerSeen ? QStringLiteral("timer on") : QStringLiteral("timer off"));
        });
        control.setView({[this] { return problemViewShowing; },
                         [this] {
                             effects.append(QStringLiteral("ShowStatusView"));
                             station.task().setStoreFileTimerEnabled(true); // as the main window's status view does
                             station.notify();
                         }});
        control.setDecodeImages([this] { effects.append(QStringLiteral("DecodeImages")); });
    }
};

TEST_F(ScanFixture, SetSizeAndScanStopsPassesAndTheStoreTimerUntilTheBatchIsDecoded) {
    problemViewShowing = true;
    control.ScanbuttonClick();
    EXPECT_TRUE(station.task().ConvertStop());
    EXPECT_TRUE(station.task().BackupStop());
    EXPECT_EQ(effects, (QStringList{"timer off", "ShowStatusView", "timer on", "timer off",
                                    "startScan ScanTo=1 ShowSetupBeforeScan=true"}));
    EXPECT_TRUE(control.scanning());
    EXPECT_FALSE(station.task().StoreFileTimerEnabled());

    const ScanSettings& s = scanner.lastSettings;
    EXPECT_TRUE(s.MultiPage);
    EXPECT_EQ(s.PageCount, 100);
    EXPECT_EQ(s.Image, station.setup().SetupInfo.Directories[SlotScan] + "qvimageset.tif");
    EXPECT_EQ(s.PageOption, 6);
    EXPECT_EQ(s.FileType, 1);
    EXPECT_EQ(s.Property11, 2);

    effects.clear();
    scanner.finishBatch();
    EXPECT_EQ(effects, (QStringList{"DecodeImages", "timer on"}));
    EXPECT_FALSE(control.scanning());
}

TEST_F(ScanFixture, ScanWithCurrentSettingsLeavesTheStoreTimerAlone) {
    station.task().setStoreFileTimerEnabled(timerSeen = false);
    control.ScanMoreButtonClick();
    EXPECT_TRUE(station.task().ConvertStop());
    EXPECT_TRUE(station.task().BackupStop());
    EXPECT_EQ(effects, (QStringList{"startScan ScanTo=2 ShowSetupBeforeScan=false"}));
    scanner.finishBatch();
    EXPECT_EQ(effects.last(), "DecodeImages");
    EXPECT_FALSE(station.task().StoreFileTimerEnabled());

    // With the problem view showing it goes back to the status view first.
    effects.clear();
    problemViewShowing = true;
    control.ScanMoreButtonClick();
    EXPECT_EQ(effects, (QStringList{"ShowStatusView", "timer on", "startScan ScanTo=2 ShowSetupBeforeScan=false"}));
}

TEST_F(ScanFixture, StartFailuresLogOfferTheSelectionAndCloseTheScanner) {
    scanner.startAnswer = Status::failure(QStringLiteral("Cannot open scanner fake:0: Device busy"));
    control.ScanbuttonClick();
    EXPECT_EQ(effects, (QStringList{"timer off", "startScan ScanTo=1 ShowSetupBeforeScan=true",
                                    "log Scanner Problem Cannot open scanner fake:0: Device busy", "selectSource",
                                    "closeScanner", "log Problem with Scanner", "timer on"}));
    EXPECT_FALSE(control.scanning());

    effects.clear();
    control.ScanMoreButtonClick();
    EXPECT_EQ(effects, (QStringList{"startScan ScanTo=2 ShowSetupBeforeScan=false", "selectSource", "closeScanner",
                                    "log Problem with Scanner"}));
}

TEST_F(ScanFixture, AFailedBatchTakesTheSameWayAndDecodesNothing) {
    control.ScanbuttonClick();
    effects.clear();
    scanner.failBatch(QStringLiteral("Document feeder out of documents"));
    EXPECT_EQ(effects, (QStringList{"log Scanner Problem Document feeder out of documents", "selectSource",
                                    "closeScanner", "log Problem with Scanner", "timer on"}));

    control.ScanMoreButtonClick();
    effects.clear();
    scanner.failBatch(QStringLiteral("Scanner cover is open"));
    EXPECT_EQ(effects, (QStringList{"selectSource", "closeScanner", "log Problem with Scanner"}));
}

TEST_F(ScanFixture, AFailedChoiceOrCloseAfterAFailureIsLoggedAndTheWayGoesOn) {
    scanner.startAnswer = Status::failure(QStringLiteral("Device busy"));
    scanner.selectAnswer = Status::cancel();
    control.ScanMoreButtonClick();
    EXPECT_EQ(effects, (QStringList{"startScan ScanTo=2 ShowSetupBeforeScan=false", "selectSource", "closeScanner",
                                    "log Problem with Scanner"}));

    effects.clear();
    scanner.selectAnswer = Status::failure(QStringLiteral("No scanner found"));
    scanner.closeAnswer = Status::failure(QStringLiteral("The scanner does not answer"));
    control.ScanMoreButtonClick();
    EXPECT_EQ(effects, (QStringList{"startScan ScanTo=2 ShowSetupBeforeScan=false", "selectSource",
                                    "log Problem with TWAIN Interface", "closeScanner",
                                    "log Scanner Problem The scanner does not answer", "log Problem with Scanner"}));
}

TEST_F(ScanFixture, CancelledSettingsEndTheCommandQuietly) {
    scanner.startAnswer = Status::cancel();
    control.ScanbuttonClick();
    EXPECT_EQ(effects, (QStringList{"timer off", "startScan ScanTo=1 ShowSetupBeforeScan=true", "timer on"}));
    EXPECT_FALSE(control.scanning());
}

TEST_F(ScanFixture, APressDuringABatchIsIgnoredAndNoticesAreLogged) {
    control.ScanMoreButtonClick();
    station.task().setConvertStop(false);
    control.ScanbuttonClick();
    control.ScanMoreButtonClick();
    EXPECT_EQ(scanner.startCount, 1);
    EXPECT_FALSE(station.task().ConvertStop());
    scanner.notice(QStringLiteral("Document feeder jammed; the 3 page(s) scanned before it are kept"));
    EXPECT_EQ(effects.last(), "log Scanner Problem Document feeder jammed; the 3 page(s) scanned before it are kept");
}

TEST_F(ScanFixture, SetInterfaceLogsOnlyFailures) {
    control.TWAIN2Click();
    scanner.selectAnswer = Status::cancel();
    control.TWAIN2Click();
    EXPECT_EQ(effects, (QStringList{"selectSource", "selectSource"}));
    scanner.selectAnswer = Status::failure(QStringLiteral("No scanner found"));
    control.TWAIN2Click();
    EXPECT_EQ(effects.last(), "log Problem with TWAIN Interface");
}

TEST_F(ScanFixture, ImagesScannedCounterDecodesTheWaitingBatch) {
    control.SystemLabelClick();
    EXPECT_EQ(effects, QStringList{"DecodeImages"});
}

TEST_F(ScanFixture, MissingImageSetWithoutTemplateWarnsAndScansAnyway) {
    const QString scanDir = temp.path(QStringLiteral("new/scan/"));
    station.editSetup().SetupInfo.Directories[SlotScan] = scanDir;
    temp.prompter.expectMessage(QStringLiteral("Default Image set Create failure"));
    control.ScanMoreButtonClick();
    ASSERT_EQ(temp.prompter.shown().size(), 1u);
    EXPECT_EQ(temp.prompter.shown()[0].text,
              "I could not create a default \"Image Set file\".\nSome scanner interaces will not be able to start.\n\n"
              "Use Imaging to create a CITT4 Tiff file called \"qvimageset.tif\" in \n in the \"Scan\" folder.");
    EXPECT_EQ(temp.prompter.shown()[0].icon, MessageIcon::Error);
    EXPECT_EQ(scanner.startCount, 1);
    EXPECT_EQ(scanner.lastSettings.Image, scanDir + "qvimageset.tif");
}

TEST_F(ScanFixture, AnImageSetInAnotherLetterCaseIsTheOneScannedInto) {
    const QString scanDir = temp.path(QStringLiteral("upper/"));
    QDir().mkpath(scanDir);
    test::Touch(scanDir + QStringLiteral("QVimageset.tif"));
    station.editSetup().SetupInfo.Directories[SlotScan] = scanDir;
    EXPECT_TRUE(control.nextscanner());
    control.ScanMoreButtonClick();
    EXPECT_EQ(scanner.lastSettings.Image, scanDir + "QVimageset.tif");
    EXPECT_TRUE(temp.prompter.shown().empty());
}

} // namespace
