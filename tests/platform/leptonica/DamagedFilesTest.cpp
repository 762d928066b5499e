#include "LeptonicaTestImages.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace kestrova::test {
namespace {

// A scan-like 1-bit page: black specks and bars on white.
PixPtr ScanLikePage() {
    std::mt19937 random(42);
    PixPtr pix(pixCreate(400, 300, 1));
    for (int i = 0; i < 300; ++i) {
        const int x = random() % 380, y = random() % 290, w = 1 + random() % 20, h = 1 + random() % 10;
        pixRasterop(pix.get(), x, y, w, h, PIX_SET, nullptr, 0, 0);
    }
    pixSetResolution(pix.get(), 200, 200);
    return pix;
}

QByteArray Cut(const QByteArray& bytes, double share) {
    return bytes.left(static_cast<int>(bytes.size() * share));
}

QByteArray Scrambled(QByteArray bytes, int from, int to) {
    std::mt19937 random(1);
    for (int i = from; i < to && i < bytes.size(); ++i) bytes[i] = static_cast<char>(random());
    return bytes;
}

// Runs f with standard error sent to a file and returns what was written there.
template <typename F> QByteArray StandardErrorOf(const QString& capturePath, F f) {
    std::fflush(stderr);
    const int saved = ::dup(2);
    const int fd = ::open(leptonica::NativePath(capturePath).constData(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    ::dup2(fd, 2);
    ::close(fd);
    f();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    return ReadFileBytes(capturePath);
}

TEST(DamagedFiles, GiveErrorsWithMessagesAndNeverCrash) {
    QTemporaryDir dir;
    auto path = [&dir](const char* name) { return dir.path() + QLatin1Char('/') + QLatin1String(name); };
    LeptonicaImageCodec codec;

    const QString good = path("good.tif");
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Image(ScanLikePage())->saveTiff(good, TiffCompression::CcittG4, TiffSaveMode::Append));
    }
    const QString png = path("good.png"), jpg = path("good.jpg"), bmp = path("good.bmp");
    auto grey = Image(ScanLikePage())->converted(8);
    ASSERT_TRUE(grey.value()->saveAs(png, ImageFileFormat::Png));
    ASSERT_TRUE(grey.value()->saveAs(jpg, ImageFileFormat::Jpeg));
    ASSERT_TRUE(grey.value()->saveAs(bmp, ImageFileFormat::Bmp));
    const QByteArray tiffBytes = ReadFileBytes(good);

    QByteArray hugeBmp = ReadFileBytes(bmp).left(54);
    hugeBmp[18] = hugeBmp[19] = hugeBmp[20] = 0x7f; // width and height near 2^23
    hugeBmp[22] = hugeBmp[23] = hugeBmp[24] = 0x7f;

    // Files refused outright: no information, no page count, no page.
    const std::vector<std::pair<const char*, QByteArray>> refused = {
        {"empty.tif", QByteArray()},
        {"text.tif", QByteArray("Request 12345678, HIST\r\nsecond line\r\n")},
        {"intel-junk.tif", QByteArray("II*\0", 4) + QByteArray(200, '\x55')},
        {"motorola-junk.tif", QByteArray("MM\0*", 4) + QByteArray("\xff\xff\xff\xf0", 4) + QByteArray(64, '\0')},
        {"header-only.tif", tiffBytes.left(20)},
        {"huge.bmp", hugeBmp},
    };
    // Files whose headers can be read but whose page cannot be loaded: pixels cut short, absurd
    // pixel layouts, sizes that would claim gigabytes.
    const std::vector<std::pair<const char*, QByteArray>> cutShort = {
        {"odd-layout.tif", ClaimedTiff(16, 16, 65280, 63745)},
        {"huge.tif", ClaimedTiff(100000, 100000, 8, 1)},
        {"widest.tif", ClaimedTiff(0x7fffffff, 0x7fffffff, 8, 3)},
        {"half.png", Cut(ReadFileBytes(png), 0.5)},
        {"half.bmp", Cut(ReadFileBytes(bmp), 0.5)},
    };
    // Files whose damage a decoder may or may not notice: any outcome but a crash or a wrong size.
    const std::vector<std::pair<const char*, QByteArray>> damaged = {
        {"half.tif", Cut(tiffBytes, 0.5)},
        {"scrambled.tif", Scrambled(tiffBytes, 200, tiffBytes.size() - 400)},
        {"half.jpg", Cut(ReadFileBytes(jpg), 0.5)},
        {"scrambled.jpg", Scrambled(ReadFileBytes(jpg), 300, 2000)},
        {"scrambled.png", Scrambled(ReadFileBytes(png), 60, 500)},
    };
    for (const auto& [name, bytes] : refused) WriteBytes(path(name), bytes);
    for (const auto& [name, bytes] : cutShort) WriteBytes(path(name), bytes);
    for (const auto& [name, bytes] : damaged) WriteBytes(path(name), bytes);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.tif")));

    std::vector<QString> mustFail = {path("missing.tif"), path("folder.tif")};
    for (const auto& entry : refused) mustFail.push_back(path(entry.first));
    std::vector<QString> mustFailToLoad = mustFail;
    for (const auto& entry : cutShort) mustFailToLoad.push_back(path(entry.first));

    const QByteArray chatter = StandardErrorOf(path("stderr.txt"), [&] {
        for (const QString& file : mustFail) {
            EXPECT_FALSE(codec.fileInfo(file)) << file.toStdString();
            EXPECT_FALSE(codec.pageCount(file)) << file.toStdString();
        }
        for (const QString& file : mustFailToLoad) {
            const auto page = codec.loadPage(file, 0, 1);
            ASSERT_FALSE(page) << file.toStdString();
            EXPECT_TRUE(page.error().startsWith(QLatin1String("Cannot read ") + file)) << page.error().toStdString();
            EXPECT_EQ(page.value().image, nullptr);
        }
        for (const auto& entry : damaged) {
            const QString file = path(entry.first);
            for (int pageNumber : {0, 2}) {
                for (int depth : {1, 24}) {
                    const auto page = codec.loadPage(file, pageNumber, depth);
                    if (page) {
                        EXPECT_EQ(page.value().image->width(), page.value().info.width) << file.toStdString();
                        EXPECT_EQ(page.value().image->height(), page.value().info.height) << file.toStdString();
                    } else {
                        EXPECT_TRUE(page.error().startsWith(QLatin1String("Cannot read ")))
                            << page.error().toStdString();
                    }
                }
            }
        }
    });
    EXPECT_TRUE(chatter.isEmpty()) << chatter.toStdString();

    // A file cut in half loses its later pages: those can no longer be loaded.
    EXPECT_FALSE(codec.loadPage(path("half.tif"), 2, 1));
    // What the decoders said ends up in the message.
    EXPECT_TRUE(codec.loadPage(path("half.png"), 0, 8).error().contains(QLatin1String("Read Error")));
}

} // namespace
} // namespace kestrova::test

namespace kestrova::test {
namespace {

TEST(DamagedFiles, AMultiPageTiffWhoseLastDirectoryIsCutOffIsRefusedNotShortened) {
    QTemporaryDir dir;
    const QString good = dir.path() + QStringLiteral("/three.tif");
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Image(ScanLikePage())->saveTiff(good, TiffCompression::CcittG4, TiffSaveMode::Append));
    }
    LeptonicaImageCodec codec;
    ASSERT_EQ(codec.pageCount(good).value(), 3);
    EXPECT_EQ(codec.fileInfo(good, 2).value().pageCount, 3);

    // The last page's directory is written last: without its final bytes the file still claims a
    // third page that cannot be read.
    const QString cut = dir.path() + QStringLiteral("/cut.tif");
    const QByteArray bytes = ReadFileBytes(good);
    WriteBytes(cut, bytes.left(bytes.size() - 20));
    const Result<int> count = codec.pageCount(cut);
    EXPECT_FALSE(count) << count.value();
    EXPECT_TRUE(count.error().contains(QStringLiteral("page 3"))) << count.error().toStdString();
    EXPECT_FALSE(codec.fileInfo(cut));
}

} // namespace
} // namespace kestrova::test
