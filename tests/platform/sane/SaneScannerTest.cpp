// Scans through real SANE with its "test" backend ("frontend-tester" devices test:0 and test:1),
// enabled alone by a private configuration folder. The backend's reader thread is kept from
// hanging a batch by the guards in TestBackendReader.cpp.
#include "platform/sane/SaneScanner.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/sane/SaneBatchSource.h"
#include "platform/sane/SaneLibrary.h"
#include "platform/sane/SaneOptions.h"
#include "platform/sane/ScanTestSupport.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using namespace kestrova;
using test::ScannerSignals;
using test::WaitUntil;

namespace {

class SaneTestBackend : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::EnsureCoreApplication();
        s_config = new QTemporaryDir;
        QFile dll(s_config->filePath(QStringLiteral("dll.conf")));
        ASSERT_TRUE(dll.open(QIODevice::WriteOnly));
        dll.write("test\n");
        dll.close();
        QFile conf(s_config->filePath(QStringLiteral("test.conf")));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("number_of_devices 2\n");
        conf.close();
        s_previous = qgetenv("SANE_CONFIG_DIR");
        qputenv("SANE_CONFIG_DIR", s_config->path().toLocal8Bit());
    }
    static void TearDownTestSuite() {
        if (s_previous.isEmpty())
            qunsetenv("SANE_CONFIG_DIR");
        else
            qputenv("SANE_CONFIG_DIR", s_previous);
        delete s_config;
        s_config = nullptr;
    }

    // A station's scanner.conf for the test device: a grid picture on A5 pages at 100 dpi.
    ScannerConf conf(const QString& options, const QString& source = QStringLiteral("Automatic Document Feeder")) {
        ScannerConf c;
        c.setPath(dir.filePath(QStringLiteral("scanner.conf")));
        c.setValue(QStringLiteral("device"), QStringLiteral("test:0"));
        c.setValue(QStringLiteral("sane/source"), source);
        c.setValue(QStringLiteral("sane/resolution"), QStringLiteral("100"));
        c.setValue(QStringLiteral("sane/page-size"), QStringLiteral("A5"));
        c.setValue(QStringLiteral("sane/options"), options);
        return c;
    }

    ScanSettings settings(int pageCount = 100) const {
        ScanSettings s;
        s.PageCount = pageCount;
        s.Image = imageSet;
        return s;
    }

    // Runs one batch of source into the image-set file; nothing when it did not end in time.
    std::optional<BatchResult> runBatch(std::unique_ptr<BatchSource> source) {
        ImageSetBatch batch;
        std::optional<BatchResult> result;
        QObject::connect(&batch, &ImageSetBatch::finished, [&](const BatchResult& r) { result = r; });
        if (!batch.start(imageSet, std::move(source))) return std::nullopt;
        WaitUntil([&] { return result.has_value(); });
        return result;
    }

    void writeImageSet(const QByteArray& content) { test::WriteBytes(imageSet, content); }
    QByteArray imageSetContent() const { return test::ReadFileBytes(imageSet); }

    QTemporaryDir dir;
    QString imageSet = dir.filePath(QStringLiteral("qvimageset.tif"));
    LeptonicaImageCodec codec;

    static QTemporaryDir* s_config;
    static QByteArray s_previous;
};

QTemporaryDir* SaneTestBackend::s_config = nullptr;
QByteArray SaneTestBackend::s_previous;

TEST_F(SaneTestBackend, TheFeederBatchBecomesOneBitG4PagesWhateverTheScanMode) {
    struct Case {
        const char* options;
        const char* mode;
        double minBlack;
        double maxBlack;
    };
    const Case cases[] = {
        {"test-picture=Grid; depth=1", "Gray", 0.02, 0.6},
        {"test-picture=Grid; depth=8", "Gray", 0.02, 0.6},
        {"test-picture=Grid; depth=16", "Gray", 0.02, 0.6},
        {"test-picture=Grid; depth=8", "Color", 0.02, 0.6},
        {"test-picture=Solid white; depth=8", "Gray", 0, 0.001},
        {"test-picture=Solid black; depth=1", "Gray", 0.999, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.options) + " " + c.mode);
        ScannerConf station = conf(QString::fromLatin1(c.options));
        station.setValue(QStringLiteral("sane/mode"), QString::fromLatin1(c.mode));
        SaneScanner scanner(codec, station);
        ScannerSignals reported;
        reported.watch(scanner);
        ASSERT_TRUE(scanner.startScan(settings()));
        ASSERT_TRUE(WaitUntil([&] { return reported.ended(); }));
        EXPECT_EQ(reported.seen, QStringList{"done"});

        const Result<int> pages = codec.pageCount(imageSet);
        ASSERT_TRUE(pages) << pages.error().toStdString();
        EXPECT_EQ(pages.value(), 10); // the test feeder holds ten sheets
        for (int p = 0; p < pages.value(); ++p) {
            const Result<ImageFileInfo> info = codec.fileInfo(imageSet, p);
            ASSERT_TRUE(info);
            EXPECT_EQ(info.value().bitsPerPixel, 1);
            EXPECT_EQ(info.value().compressionName, "FAXCCITT4");
            EXPECT_EQ(info.value().width, 582); // 148 mm at 100 dpi
            EXPECT_EQ(info.value().xResolution, 100);
        }
        Result<LoadedPage> first = codec.loadPage(imageSet, 0, 1);
        ASSERT_TRUE(first);
        const double black = test::BlackShare(*first.value().image);
        EXPECT_GE(black, c.minBlack);
        EXPECT_LE(black, c.maxBlack);
        EXPECT_FALSE(QFile::exists(ImageSetBatch::workFileFor(imageSet)));
    }
}

TEST_F(SaneTestBackend, AFlatbedGivesOnePageAndPageCountEndsAFeederBatch) {
    for (const auto& [source, pageCount, expected] :
         {std::tuple{"Flatbed", 100, 1}, std::tuple{"Automatic Document Feeder", 4, 4}}) {
        SCOPED_TRACE(source);
        SaneScanner scanner(codec, conf(QStringLiteral("depth=1"), QString::fromLatin1(source)));
        ScannerSignals reported;
        reported.watch(scanner);
        ASSERT_TRUE(scanner.startScan(settings(pageCount)));
        ASSERT_TRUE(WaitUntil([&] { return reported.ended(); }));
        EXPECT_EQ(reported.seen, QStringList{"done"});
        EXPECT_EQ(codec.pageCount(imageSet).value(), expected);
    }
}

TEST_F(SaneTestBackend, DeviceErrorsKeepThePreviousBatchAndCarryTheDevicesMessage) {
    const std::pair<const char*, const char*> cases[] = {
        {"SANE_STATUS_JAMMED", "Document feeder jammed"},
        {"SANE_STATUS_COVER_OPEN", "Scanner cover is open"},
        {"SANE_STATUS_NO_DOCS", "Document feeder out of documents"},
        {"SANE_STATUS_IO_ERROR", "Error during device I/O"},
    };
    sane::SaneLibrary library;
    ASSERT_TRUE(library.ok());
    writeImageSet("previous batch");
    for (const auto& [status, message] : cases) {
        SCOPED_TRACE(status);
        SANE_Handle handle = nullptr;
        ASSERT_EQ(sane_open("test:0", &handle), SANE_STATUS_GOOD);
        for (const auto& [name, value] : {std::pair{"source", "Automatic Document Feeder"}, std::pair{"depth", "1"},
                                          std::pair{"resolution", "75"}, std::pair{"read-return-value", status}}) {
            ASSERT_TRUE(sane::SetOption(handle, QString::fromLatin1(name), QString::fromLatin1(value))) << name;
        }
        ASSERT_TRUE(sane::SetPageSize(handle, QStringLiteral("A5")));

        auto sheets = std::make_unique<sane::SaneBatchSource>(handle, codec, 100, true, 75);
        const std::optional<BatchResult> ended = runBatch(std::move(sheets));
        ASSERT_TRUE(ended);
        const BatchResult& result = *ended;
        EXPECT_FALSE(result.replaced);
        EXPECT_EQ(result.error, message);
        EXPECT_EQ(imageSetContent(), "previous batch");
        EXPECT_FALSE(QFile::exists(ImageSetBatch::workFileFor(imageSet)));
    }
}

TEST_F(SaneTestBackend, StartFailuresAreReportedAtOnce) {
    ScannerConf missing = conf(QString());
    missing.setValue(QStringLiteral("device"), QStringLiteral("test:9"));
    SaneScanner absent(codec, missing);
    Status status = absent.startScan(settings());
    EXPECT_FALSE(status);
    EXPECT_EQ(status.error(), "Cannot open scanner test:9: Invalid argument");

    SaneScanner badOption(codec, conf(QStringLiteral("test-picture=Sunset")));
    status = badOption.startScan(settings());
    EXPECT_FALSE(status);
    EXPECT_EQ(status.error(), "test:0: Cannot set test-picture to \"Sunset\": the scanner does not offer it");

    SaneScanner scanner(codec, conf(QStringLiteral("depth=1")));
    ScannerSignals reported;
    reported.watch(scanner);
    ASSERT_TRUE(scanner.startScan(settings()));
    EXPECT_TRUE(scanner.isScanning());
    status = scanner.startScan(settings());
    EXPECT_EQ(status.error(), "The scanner is busy with a batch");
    EXPECT_EQ(scanner.selectSource().error(), "The scanner is busy with a batch");
    ASSERT_TRUE(WaitUntil([&] { return reported.ended(); }));
    EXPECT_EQ(reported.seen, QStringList{"done"});
}

TEST_F(SaneTestBackend, APageLargerThanThePageLimitEndsTheBatchAndOneJustWithinLoads) {
    // Small sheets (125 x 157 pixels at 40 dpi; the hand scanner's are 173 pixels wide) keep it quick.
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> options;
        int frames;
        bool knownLength;
    };
    const Case cases[] = {
        {"lineart", {{"mode", "Gray"}, {"depth", "1"}}, 1, true},
        {"grey", {{"mode", "Gray"}, {"depth", "8"}}, 1, true},
        {"colour", {{"mode", "Color"}, {"depth", "8"}}, 1, true},
        {"three-pass colour", {{"mode", "Color"}, {"depth", "8"}, {"three-pass", "yes"}}, 3, true},
        {"hand-scanner grey", {{"mode", "Gray"}, {"depth", "16"}, {"hand-scanner", "yes"}}, 1, false},
    };
    sane::SaneLibrary library;
    ASSERT_TRUE(library.ok());
    double colourBlack = -1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SANE_Parameters declared{};
        auto open = [&]() -> SANE_Handle {
            SANE_Handle handle = nullptr;
            EXPECT_EQ(sane_open("test:0", &handle), SANE_STATUS_GOOD);
            auto options = c.options;
            options.insert(options.end(),
                           {{"source", "Automatic Document Feeder"}, {"test-picture", "Grid"}, {"resolution", "40"}});
            for (const auto& [name, value] : options)
                EXPECT_TRUE(sane::SetOption(handle, QString::fromLatin1(name), QString::fromLatin1(value))) << name;
            EXPECT_EQ(sane_get_parameters(handle, &declared), SANE_STATUS_GOOD);
            return handle;
        };
        auto scanOnePage = [&](const ImageCodec& limited) {
            auto sheet = std::make_unique<sane::SaneBatchSource>(open(), limited, 1, true, 40);
            return runBatch(std::move(sheet));
        };

        const std::optional<BatchResult> first = scanOnePage(codec);
        ASSERT_TRUE(first && first->replaced && first->error.isEmpty()) << (first ? first->error.toStdString() : "");
        const Result<LoadedPage> page = codec.loadPage(imageSet, 0, 1);
        ASSERT_TRUE(page);
        const int width = page.value().image->width(), lines = page.value().image->height();
        EXPECT_EQ(width, declared.pixels_per_line);
        EXPECT_EQ(lines, c.knownLength ? declared.lines : lines);
        EXPECT_EQ(declared.lines > 0, c.knownLength);
        // Three frames of one grey level each make the same page as one frame of colour.
        const double black = test::BlackShare(*page.value().image);
        EXPECT_GT(black, 0.01);
        if (c.frames == 3) {
            EXPECT_NEAR(black, colourBlack, 0.002);
        }
        if (std::string(c.name) == "colour") colourBlack = black;

        const qint64 pageBytes = qint64{c.frames} * declared.bytes_per_line * lines;
        const std::optional<BatchResult> within = scanOnePage(LeptonicaImageCodec(pageBytes));
        ASSERT_TRUE(within);
        EXPECT_TRUE(within->replaced);
        EXPECT_EQ(within->error, "");

        writeImageSet("previous batch");
        const std::optional<BatchResult> over = scanOnePage(LeptonicaImageCodec(pageBytes - 1));
        ASSERT_TRUE(over);
        EXPECT_FALSE(over->replaced);
        const QString prefix =
            QStringLiteral("The scanner's page is too large to take: %1 x %2 pixels ").arg(width).arg(lines);
        EXPECT_TRUE(over->error.startsWith(prefix + (c.knownLength ? "would take" : "and more would take")))
            << over->error.toStdString();
        EXPECT_EQ(imageSetContent(), "previous batch");
    }
}

TEST_F(SaneTestBackend, AJamMidBatchKeepsThePagesScannedBeforeIt) {
    // The test device cannot jam after some sheets, so a source over it does at the fourth sheet.
    class JamsAtFourthSheet : public BatchSource {
    public:
        explicit JamsAtFourthSheet(std::unique_ptr<BatchSource> inner) : m_inner(std::move(inner)) {}
        BatchStep next() override {
            return ++m_calls == 4 ? BatchStep::failure(QStringLiteral("Document feeder jammed")) : m_inner->next();
        }
        void finish() override { m_inner->finish(); }

    private:
        std::unique_ptr<BatchSource> m_inner;
        int m_calls = 0;
    };
    sane::SaneLibrary library;
    ASSERT_TRUE(library.ok());
    SANE_Handle handle = nullptr;
    ASSERT_EQ(sane_open("test:0", &handle), SANE_STATUS_GOOD);
    ASSERT_TRUE(sane::SetOption(handle, QStringLiteral("source"), QStringLiteral("Automatic Document Feeder")));
    ASSERT_TRUE(sane::SetOption(handle, QStringLiteral("depth"), QStringLiteral("1")));

    auto sheets = std::make_unique<sane::SaneBatchSource>(handle, codec, 100, true, 100);
    const std::optional<BatchResult> ended = runBatch(std::make_unique<JamsAtFourthSheet>(std::move(sheets)));
    ASSERT_TRUE(ended);
    const BatchResult& result = *ended;
    EXPECT_TRUE(result.replaced);
    EXPECT_EQ(result.pages, 3);
    EXPECT_EQ(result.error, "Document feeder jammed");
    EXPECT_EQ(codec.pageCount(imageSet).value(), 3);
}

TEST_F(SaneTestBackend, TheChosenDeviceAndSettingsAreRememberedForTheStation) {
    QList<ScannerDeviceInfo> offered;
    QString problemShown;
    QList<ScannerSetting> settingsShown;
    bool cancelSettings = true;
    ScannerDialogs dialogs;
    dialogs.chooseDevice = [&](const QList<ScannerDeviceInfo>& devices, const QString&, const QString& problem) {
        offered = devices;
        problemShown = problem;
        return std::optional<QString>(QStringLiteral("test:1"));
    };
    dialogs.editSettings = [&](const QString&, QList<ScannerSetting>& settings) {
        settingsShown = settings;
        for (ScannerSetting& s : settings) {
            if (s.name == QLatin1String("resolution")) s.value = QStringLiteral("75");
        }
        return !cancelSettings;
    };
    SaneScanner scanner(codec, conf(QStringLiteral("test-picture=Sunset")), dialogs);
    EXPECT_FALSE(scanner.startScan(settings()));

    ASSERT_TRUE(scanner.selectSource());
    ASSERT_EQ(offered.size(), 2);
    EXPECT_EQ(offered[0].name, "test:0");
    EXPECT_EQ(offered[1].name, "test:1");
    EXPECT_EQ(problemShown, "test:0: Cannot set test-picture to \"Sunset\": the scanner does not offer it");
    ScannerConf saved;
    ASSERT_TRUE(saved.load(dir.filePath(QStringLiteral("scanner.conf"))));
    EXPECT_EQ(saved.value("device"), "test:1");
    EXPECT_EQ(scanner.currentDevice(), "test:1");

    ScanSettings withSetup = settings();
    withSetup.ShowSetupBeforeScan = true;
    const Status cancelled = scanner.startScan(withSetup);
    EXPECT_TRUE(cancelled && cancelled.cancelled());
    EXPECT_FALSE(scanner.isScanning());
    QStringList names;
    for (const ScannerSetting& s : settingsShown) names.append(s.name);
    EXPECT_EQ(names, (QStringList{"source", "mode", "resolution", "page-size"}));
    EXPECT_EQ(settingsShown[0].value, "Automatic Document Feeder");
    EXPECT_TRUE(settingsShown[2].choices.contains("200"));
}

} // namespace
