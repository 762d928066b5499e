#include "platform/folderfeed/FolderFeeder.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/leptonica/LeptonicaTestImages.h"
#include "platform/sane/ScanTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kestrova;
using test::ScannerSignals;
using test::WaitUntil;

namespace {

struct FolderFeederTest : ::testing::Test {
    void SetUp() override {
        test::EnsureCoreApplication();
        QDir().mkpath(feeder);
    }

    // A 1-bit page of the given width with a black band across its upper half.
    std::unique_ptr<PageImage> page(int width) const {
        barcode::PageBitmap bitmap;
        bitmap.width = width;
        bitmap.height = 60;
        bitmap.bytesPerRow = barcode::PageBitmap::strideFor(width);
        bitmap.bits.assign(static_cast<std::size_t>(bitmap.bytesPerRow) * bitmap.height, 0xFF);
        for (int r = 30; r < 60; ++r) std::fill_n(bitmap.row(r), bitmap.bytesPerRow, 0x00);
        Result<std::unique_ptr<PageImage>> made = codec.fromPageBitmap(bitmap, 200, 200);
        EXPECT_TRUE(made) << made.error().toStdString();
        return std::move(made.value());
    }
    std::unique_ptr<PageImage> page(int width, int depth) const {
        Result<std::unique_ptr<PageImage>> deeper = page(width)->converted(depth);
        EXPECT_TRUE(deeper);
        return std::move(deeper.value());
    }
    void drop(const QString& name, const QByteArray& bytes) const {
        QFile f(feeder + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList entries(const QString& dir) const { return QDir(dir).entryList(QDir::Files, QDir::Name); }

    // Scans one batch and returns what the feeder reported.
    QStringList scan(FolderFeeder& feederScanner, int pageCount = 100) const {
        ScannerSignals reported;
        reported.watch(feederScanner);
        ScanSettings settings;
        settings.Image = imageSet;
        settings.PageCount = pageCount;
        const Status started = feederScanner.startScan(settings);
        if (!started) return {QStringLiteral("start failed: ") + started.error()};
        EXPECT_TRUE(WaitUntil([&] { return reported.ended(); }));
        return reported.seen;
    }
    QList<int> pageWidths() const {
        QList<int> widths;
        const Result<int> count = codec.pageCount(imageSet);
        for (int p = 0; count && p < count.value(); ++p) {
            const Result<ImageFileInfo> info = codec.fileInfo(imageSet, p);
            EXPECT_EQ(info.value().bitsPerPixel, 1);
            EXPECT_EQ(info.value().compressionName, "FAXCCITT4");
            widths.append(info.value().width);
        }
        return widths;
    }

    QTemporaryDir dir;
    QString feeder = dir.filePath(QStringLiteral("feeder")) + QLatin1Char('/');
    QString imageSet = dir.filePath(QStringLiteral("qvimageset.tif"));
    QString taken = feeder + QStringLiteral("taken/");
    LeptonicaImageCodec codec;
};

TEST_F(FolderFeederTest, MixedFormatsAndColourPagesBecomeOneBitPagesInNameOrder) {
    ASSERT_TRUE(page(100)->saveAs(feeder + "a-scan.png", ImageFileFormat::Png));
    ASSERT_TRUE(page(110, 24)->saveAs(feeder + "B-colour.jpg", ImageFileFormat::Jpeg, 95));
    ASSERT_TRUE(page(120)->saveTiff(feeder + "c-two.tif", TiffCompression::CcittG4, TiffSaveMode::Append));
    ASSERT_TRUE(page(130)->saveTiff(feeder + "c-two.tif", TiffCompression::CcittG4, TiffSaveMode::Append));
    ASSERT_TRUE(page(140, 8)->saveAs(feeder + "d-grey.bmp", ImageFileFormat::Bmp));
    ASSERT_TRUE(page(150, 24)->saveTiff(feeder + "e-colour.tif", TiffCompression::Lzw, TiffSaveMode::Replace));
    drop(".part-being-written", "not yet");

    FolderFeeder scanner(codec, feeder);
    EXPECT_EQ(scan(scanner), QStringList{"done"});
    EXPECT_EQ(pageWidths(), (QList<int>{100, 110, 120, 130, 140, 150}));
    EXPECT_EQ(entries(taken), (QStringList{"B-colour.jpg", "a-scan.png", "c-two.tif", "d-grey.bmp", "e-colour.tif"}));
    EXPECT_EQ(entries(feeder), QStringList{}); // the hidden file is not a page and stays
    EXPECT_TRUE(QFile::exists(feeder + ".part-being-written"));

    // A colour page is binarised, not dithered: the black band stays black, the rest white.
    Result<LoadedPage> colour = codec.loadPage(imageSet, 1, 1);
    ASSERT_TRUE(colour);
    EXPECT_NEAR(test::BlackShare(*colour.value().image), 0.5, 0.02);
}

TEST_F(FolderFeederTest, AnUnreadableFileStaysInPlaceAndIsReported) {
    ASSERT_TRUE(page(100)->saveAs(feeder + "1.png", ImageFileFormat::Png));
    drop("2-broken.tif", QByteArray("II*\0", 4) + QByteArray(200, 'x'));
    drop("3-notes.txt", "call the ward");
    ASSERT_TRUE(page(130)->saveAs(feeder + "4.png", ImageFileFormat::Png));

    FolderFeeder scanner(codec, feeder);
    const QStringList seen = scan(scanner);
    ASSERT_EQ(seen.size(), 3);
    EXPECT_TRUE(seen[0].startsWith("notice: Cannot read " + QDir::toNativeSeparators(feeder + "2-broken.tif")));
    EXPECT_TRUE(seen[0].endsWith("; the file is left in the feeder folder"));
    EXPECT_TRUE(seen[1].startsWith("notice: Cannot read " + QDir::toNativeSeparators(feeder + "3-notes.txt")));
    EXPECT_EQ(seen[2], "done");
    EXPECT_EQ(pageWidths(), (QList<int>{100, 130}));
    EXPECT_EQ(entries(feeder), (QStringList{"2-broken.tif", "3-notes.txt"}));
    EXPECT_EQ(entries(taken), (QStringList{"1.png", "4.png"}));
}

TEST_F(FolderFeederTest, NothingToTakeLeavesThePreviousBatch) {
    ASSERT_TRUE(page(90)->saveTiff(imageSet, TiffCompression::CcittG4, TiffSaveMode::Replace));
    FolderFeeder scanner(codec, feeder);
    EXPECT_EQ(scan(scanner),
              QStringList{"start failed: No page images in the feeder folder " + QDir::toNativeSeparators(feeder)});

    drop("only-broken.png", "\x89PNG garbage");
    const QStringList seen = scan(scanner);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[1],
              "failed: No page image in the feeder folder " + QDir::toNativeSeparators(feeder) + " could be read");
    EXPECT_EQ(pageWidths(), QList<int>{90});
    EXPECT_EQ(entries(feeder), QStringList{"only-broken.png"});

    FolderFeeder nowhere(codec, dir.filePath(QStringLiteral("missing")));
    EXPECT_EQ(scan(nowhere),
              QStringList{"start failed: The feeder folder " +
                          QDir::toNativeSeparators(dir.filePath(QStringLiteral("missing/"))) + " does not exist"});
}

TEST_F(FolderFeederTest, PageCountLeavesWholeFilesForTheNextBatchAndTakenNamesNeverClash) {
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(page(100 + i)->saveAs(feeder + QString("p%1.png").arg(i), ImageFileFormat::Png));
    QDir().mkpath(taken);
    drop("taken/p1.png", "an earlier batch's p1");

    FolderFeeder scanner(codec, feeder);
    EXPECT_EQ(scan(scanner, 2), QStringList{"done"});
    EXPECT_EQ(pageWidths(), (QList<int>{101, 102}));
    EXPECT_EQ(entries(feeder), QStringList{"p3.png"});
    EXPECT_EQ(entries(taken), (QStringList{"p1-1.png", "p1.png", "p2.png"}));

    // A file with more pages than a batch holds is taken whole rather than split.
    for (int w : {200, 210, 220})
        ASSERT_TRUE(page(w)->saveTiff(feeder + "q.tif", TiffCompression::CcittG4, TiffSaveMode::Append));
    QFile::rename(feeder + "p3.png", taken + "p3.png");
    EXPECT_EQ(scan(scanner, 2), QStringList{"done"});
    EXPECT_EQ(pageWidths(), (QList<int>{200, 210, 220}));
}

TEST_F(FolderFeederTest, APageTooLargeForMemoryIsRefusedUnreadAndStaysInTheFeeder) {
    ASSERT_TRUE(page(100)->saveAs(feeder + "1.png", ImageFileFormat::Png));
    // A real PNG that declares an 8-bit page of 32000 x 32000 pixels: 1 GB to hold, 2 GB to read.
    drop("2-huge.png", test::ClaimedPng(dir.filePath("scratch.png"), *page(8, 8), 32000, 32000));
    ASSERT_TRUE(page(130)->saveAs(feeder + "3.png", ImageFileFormat::Png));

    FolderFeeder scanner(codec, feeder);
    EXPECT_EQ(scan(scanner),
              (QStringList{"notice: Cannot read " + QDir::toNativeSeparators(feeder + "2-huge.png") +
                               ": the page is too large to load: 32000 x 32000 pixels at 8 bits per pixel would take "
                               "1954 MB of memory, more than the 512 MB allowed for a page; the file is left in the "
                               "feeder folder",
                           "done"}));
    EXPECT_EQ(pageWidths(), (QList<int>{100, 130}));
    EXPECT_EQ(entries(feeder), QStringList{"2-huge.png"});
    EXPECT_EQ(entries(taken), (QStringList{"1.png", "3.png"}));
}

TEST_F(FolderFeederTest, TheWaitingPagesOfAFileAndTheNextPageKeepToTheLimitTogether) {
    // Three 1-bit pages of 3200 x 60 pixels: 24000 bytes each once read.
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(page(3200)->saveTiff(feeder + "q.tif", TiffCompression::CcittG4, TiffSaveMode::Append));
    const Result<qint64> third = codec.loadBytes(feeder + "q.tif", 2, 1);
    ASSERT_TRUE(third);
    const qint64 justEnough = 2 * 24000 + third.value();

    const struct {
        qint64 limit;
        bool taken;
    } cases[] = {{justEnough - 1, false}, {justEnough, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        const LeptonicaImageCodec limited(c.limit);
        FolderFeeder scanner(limited, feeder);
        const QStringList seen = scan(scanner);
        if (c.taken) {
            EXPECT_EQ(seen, QStringList{"done"});
            EXPECT_EQ(pageWidths(), (QList<int>{3200, 3200, 3200}));
            EXPECT_EQ(entries(taken), QStringList{"q.tif"});
        } else {
            ASSERT_EQ(seen.size(), 2);
            EXPECT_TRUE(seen[0].startsWith("notice: Cannot read " + QDir::toNativeSeparators(feeder + "q.tif") +
                                           ": its pages are too large to load together: page 3 with the 2 page(s) "
                                           "before it would take"))
                << seen[0].toStdString();
            EXPECT_TRUE(seen[1].startsWith("failed: No page image")) << seen[1].toStdString();
            EXPECT_EQ(entries(feeder), QStringList{"q.tif"});
        }
    }
}

} // namespace
