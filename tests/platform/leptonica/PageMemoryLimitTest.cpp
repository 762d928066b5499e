#include "LeptonicaTestImages.h"
#include "platform/leptonica/PageFootprint.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <unordered_map>

namespace kestrova::test {
namespace {

// While alive, counts the pixel memory Leptonica holds: the most at any one time since the
// start or the last reset, beyond what it held then.
class PixMemoryWatch {
public:
    PixMemoryWatch() {
        s_watch = this;
        setPixMemoryManager(&Allocate, &Release);
    }
    ~PixMemoryWatch() {
        setPixMemoryManager(&std::malloc, &std::free);
        s_watch = nullptr;
    }
    PixMemoryWatch(const PixMemoryWatch&) = delete;
    PixMemoryWatch& operator=(const PixMemoryWatch&) = delete;

    qint64 peak() const {
        std::lock_guard lock(m_mutex);
        return m_peak;
    }
    void reset() {
        std::lock_guard lock(m_mutex);
        m_now = m_peak = 0;
    }

private:
    static void* Allocate(size_t size) {
        void* block = std::malloc(size);
        if (block && s_watch) {
            std::lock_guard lock(s_watch->m_mutex);
            s_watch->m_sizes[block] = size;
            s_watch->m_now += qint64(size);
            s_watch->m_peak = std::max(s_watch->m_peak, s_watch->m_now);
        }
        return block;
    }
    static void Release(void* block) {
        if (block && s_watch) {
            std::lock_guard lock(s_watch->m_mutex);
            const auto found = s_watch->m_sizes.find(block);
            if (found != s_watch->m_sizes.end()) {
                s_watch->m_now -= qint64(found->second);
                s_watch->m_sizes.erase(found);
            }
        }
        std::free(block);
    }

    static inline PixMemoryWatch* s_watch = nullptr;
    mutable std::mutex m_mutex;
    std::unordered_map<void*, size_t> m_sizes;
    qint64 m_now = 0;
    qint64 m_peak = 0;
};

struct PageMemoryLimit : ::testing::Test {
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    LeptonicaImageCodec shipped;
};

TEST_F(PageMemoryLimit, APageTooLargeIsRefusedFromItsHeaderBeforeAnythingIsDecoded) {
    EXPECT_EQ(shipped.pageLimit(), qint64{512} * 1024 * 1024);
    EXPECT_EQ(shipped.pageLimit(), MaxPageBitmapBytes);
    const QString scratch = path("scratch.png");
    const struct {
        const char* name;
        QByteArray bytes;
        int depth;
        const char* reason;
    } cases[] = {
        // An 8-bit 32000 x 32000 page: libpng's rows and the page, 1 GB each.
        {"grey.png", ClaimedPng(scratch, *Image(GreyRamp(4, 4)), 32000, 32000), 1,
         "32000 x 32000 pixels at 8 bits per pixel would take 1954 MB of memory"},
        {"grey.tif", ClaimedTiff(32000, 32000, 8, 1), 8,
         "32000 x 32000 pixels at 8 bits per pixel would take 977 MB of memory"},
        {"colour.png", ClaimedPng(scratch, *Image(GreyRamp(4, 4))->converted(24).value(), 12000, 12000), 24,
         "12000 x 12000 pixels at 24 bits per pixel would take 962 MB of memory"},
        // A 1-bit page of this size loads; at 8 bits per pixel it takes 8 times the memory.
        {"one-bit.png", ClaimedPng(scratch, *Image(BlackPixels(4, 4, {{1, 1}})), 40000, 40000), 8,
         "40000 x 40000 pixels at 1 bits per pixel would take 1717 MB of memory"},
    };
    PixMemoryWatch watch;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path(c.name), c.bytes);
        const Result<ImageFileInfo> info = shipped.fileInfo(path(c.name));
        ASSERT_TRUE(info) << info.error().toStdString(); // the header reads
        watch.reset();
        const Result<LoadedPage> page = shipped.loadPage(path(c.name), 0, c.depth);
        ASSERT_FALSE(page);
        EXPECT_EQ(page.error(),
                  QStringLiteral("Cannot read %1: the page is too large to load: %2, more than the 512 MB "
                                 "allowed for a page")
                      .arg(path(c.name), QLatin1String(c.reason)));
        EXPECT_EQ(watch.peak(), 0); // not a pixel was claimed
    }
}

TEST_F(PageMemoryLimit, APageLoadsWhenItsLoadingKeepsToTheLimitAndLeptonicaHoldsNoMore) {
    const int w = 300, h = 200;
    PixPtr palette(pixCreate(w, h, 8));
    PIXCMAP* colours = pixcmapCreate(8);
    for (int i = 0; i < 256; ++i) pixcmapAddColor(colours, i, 255 - i, (i * 7) % 256);
    pixSetColormap(palette.get(), colours);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixSetPixel(palette.get(), x, y, (x + y) % 256);
    PixPtr greyPalette(pixConvertGrayToColormap(GreyRamp(w, h).get()));
    PixPtr blackWhite(BlackPixels(w, h, {{3, 3}, {100, 50}}));
    PIXCMAP* twoColours = pixcmapCreate(1);
    pixcmapAddColor(twoColours, 255, 255, 255);
    pixcmapAddColor(twoColours, 0, 0, 0);
    pixSetColormap(blackWhite.get(), twoColours);
    PixPtr greyAlpha(pixConvertTo32(GreyRamp(w, h).get()));
    pixSetSpp(greyAlpha.get(), 4);

    const auto grey = Image(GreyRamp(w, h));
    const auto colour = grey->converted(24).value();
    const auto bw = Image(BlackPixels(w, h, {{5, 5}, {200, 100}}));
    ASSERT_TRUE(grey->saveAs(path("grey.png"), ImageFileFormat::Png));
    ASSERT_TRUE(colour->saveAs(path("colour.png"), ImageFileFormat::Png));
    ASSERT_EQ(pixWritePng(leptonica::NativePath(path("palette.png")).constData(), palette.get(), 0), 0);
    ASSERT_EQ(pixWritePng(leptonica::NativePath(path("alpha.png")).constData(), greyAlpha.get(), 0), 0);
    ASSERT_EQ(pixWritePng(leptonica::NativePath(path("grey-palette.png")).constData(), greyPalette.get(), 0), 0);
    ASSERT_EQ(pixWritePng(leptonica::NativePath(path("black-white.png")).constData(), blackWhite.get(), 0), 0);
    ASSERT_EQ(pixWriteTiff(leptonica::NativePath(path("palette.tif")).constData(), palette.get(), IFF_TIFF_LZW, "w"),
              0);
    ASSERT_TRUE(bw->saveTiff(path("g4.tif"), TiffCompression::CcittG4, TiffSaveMode::Replace));
    ASSERT_TRUE(grey->saveTiff(path("grey.tif"), TiffCompression::Lzw, TiffSaveMode::Replace));
    ASSERT_TRUE(colour->saveTiff(path("colour.tif"), TiffCompression::Lzw, TiffSaveMode::Replace));
    ASSERT_TRUE(grey->saveAs(path("grey.jpg"), ImageFileFormat::Jpeg));
    ASSERT_TRUE(colour->saveAs(path("colour.jpg"), ImageFileFormat::Jpeg));
    ASSERT_TRUE(grey->saveAs(path("grey.bmp"), ImageFileFormat::Bmp));

    PixMemoryWatch watch;
    for (const char* name :
         {"grey.png", "colour.png", "palette.png", "grey-palette.png", "black-white.png", "alpha.png", "g4.tif",
          "grey.tif", "colour.tif", "palette.tif", "grey.jpg", "colour.jpg", "grey.bmp"}) {
        for (int depth : {1, 4, 8, 24}) {
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(depth));
            const Result<qint64> needed = shipped.loadBytes(path(name), 0, depth);
            ASSERT_TRUE(needed) << needed.error().toStdString();
            EXPECT_LE(needed.value(), 13 * w * h); // three colour pages and a grey one at most

            watch.reset();
            const Result<LoadedPage> loaded = LeptonicaImageCodec(needed.value()).loadPage(path(name), 0, depth);
            ASSERT_TRUE(loaded) << loaded.error().toStdString();
            EXPECT_EQ(loaded.value().image->bitsPerPixel(), depth);
            EXPECT_LE(watch.peak(), needed.value()); // the pages Leptonica made on the way
            EXPECT_GE(watch.peak(), leptonica::PixBytes(w, h, depth == 24 ? 32 : depth));

            const Result<LoadedPage> refused = LeptonicaImageCodec(needed.value() - 1).loadPage(path(name), 0, depth);
            ASSERT_FALSE(refused);
            EXPECT_TRUE(refused.error().contains("the page is too large to load")) << refused.error().toStdString();
        }
    }
}

} // namespace
} // namespace kestrova::test
