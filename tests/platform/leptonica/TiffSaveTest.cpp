#include "LeptonicaTestImages.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <random>
#include <sys/resource.h>

namespace kestrova::test {
namespace {

PixPtr Noise(int w, int h, int depth, unsigned seed) {
    std::mt19937 random(seed);
    PixPtr pix(pixCreate(w, h, depth == 24 ? 32 : depth));
    if (depth == 24) pixSetSpp(pix.get(), 3);
    const l_uint32 mask = depth == 24 ? 0xffffff00u : (1u << depth) - 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixSetPixel(pix.get(), x, y, random() & mask);
    return pix;
}

QStringList Entries(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

class TiffSave : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QTemporaryDir dir;
    LeptonicaImageCodec codec;
};

TEST_F(TiffSave, AppendBuildsAMultiPageFileThatReadsBackExactly) {
    struct Page {
        int depth;
        TiffCompression compression;
        const char* name;
        int dpi;
    };
    const Page pages[] = {{1, TiffCompression::CcittG4, "FAXCCITT4", 200},  {1, TiffCompression::Lzw, "LZW", 300},
                          {1, TiffCompression::PackBits, "PACKBITS", 400},  {8, TiffCompression::Lzw, "LZW", 150},
                          {24, TiffCompression::PackBits, "PACKBITS", 100}, {4, TiffCompression::None, "NONE", 75}};
    const QString file = path(QStringLiteral("set.tif"));
    std::vector<PixPtr> written;
    for (const Page& p : pages) {
        PixPtr pix = Noise(61 + p.depth, 40, p.depth, p.dpi);
        pixSetResolution(pix.get(), p.dpi, p.dpi + 1);
        const Status saved =
            Image(PixPtr(pixCopy(nullptr, pix.get())))->saveTiff(file, p.compression, TiffSaveMode::Append);
        ASSERT_TRUE(saved) << saved.error().toStdString();
        written.push_back(std::move(pix));
    }
    const auto count = codec.pageCount(file);
    ASSERT_TRUE(count);
    EXPECT_EQ(count.value(), 6);

    for (int i = 0; i < 6; ++i) {
        const auto info = codec.fileInfo(file, i);
        ASSERT_TRUE(info) << info.error().toStdString();
        EXPECT_EQ(info.value().compressionName, QLatin1String(pages[i].name)) << i;
        EXPECT_EQ(info.value().bitsPerPixel, pages[i].depth) << i;
        EXPECT_EQ(info.value().width, 61 + pages[i].depth) << i;
        EXPECT_EQ(info.value().height, 40) << i;
        EXPECT_EQ(info.value().pageCount, 6) << i;
        EXPECT_EQ(info.value().pageNumber, i) << i;
        EXPECT_EQ(info.value().xResolution, pages[i].dpi) << i;
        EXPECT_EQ(info.value().yResolution, pages[i].dpi + 1) << i;
        EXPECT_EQ(info.value().sizeInBytes, QFileInfo(file).size());

        const auto loaded = codec.loadPage(file, i, pages[i].depth);
        ASSERT_TRUE(loaded) << loaded.error().toStdString();
        EXPECT_EQ(loaded.value().image->bitsPerPixel(), pages[i].depth) << i;
        EXPECT_EQ(loaded.value().image->xResolution(), pages[i].dpi) << i;
        EXPECT_EQ(DifferentPixels(PixOf(*loaded.value().image), written[i].get()), 0) << i;
    }
    EXPECT_EQ(Entries(dir), QStringList{QStringLiteral("set.tif")});
}

TEST_F(TiffSave, ReplaceWritesOnePageAndKeepsPermissions) {
    const QString file = path(QStringLiteral("page.tif"));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Image(Noise(30, 30, 1, i))->saveTiff(file, TiffCompression::CcittG4, TiffSaveMode::Append));
    }
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    PixPtr last = Noise(33, 20, 1, 9);
    ASSERT_TRUE(
        Image(PixPtr(pixCopy(nullptr, last.get())))->saveTiff(file, TiffCompression::Lzw, TiffSaveMode::Replace));

    EXPECT_EQ(codec.pageCount(file).value(), 1);
    const auto loaded = codec.loadPage(file, 0, 1);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded.value().info.compressionName, QLatin1String("LZW"));
    EXPECT_EQ(DifferentPixels(PixOf(*loaded.value().image), last.get()), 0);
    const QFile::Permissions kept = QFileInfo(file).permissions();
    EXPECT_TRUE(kept.testFlags(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    EXPECT_FALSE(kept.testAnyFlags(QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
    EXPECT_EQ(Entries(dir), QStringList{QStringLiteral("page.tif")});
}

TEST_F(TiffSave, FailedWritesLeaveFilesAsTheyWere) {
    const QString text = path(QStringLiteral("notes.tif"));
    WriteBytes(text, "not an image\n");
    const Status appendToText =
        Image(Noise(20, 20, 1, 1))->saveTiff(text, TiffCompression::CcittG4, TiffSaveMode::Append);
    EXPECT_FALSE(appendToText);
    EXPECT_TRUE(appendToText.error().contains(QLatin1String("notes.tif"))) << appendToText.error().toStdString();
    EXPECT_EQ(ReadFileBytes(text), QByteArray("not an image\n"));

    const QString g4 = path(QStringLiteral("g4.tif"));
    ASSERT_TRUE(Image(Noise(20, 20, 1, 2))->saveTiff(g4, TiffCompression::CcittG4, TiffSaveMode::Replace));
    const QByteArray before = ReadFileBytes(g4);
    const Status deepAsG4 = Image(Noise(20, 20, 8, 3))->saveTiff(g4, TiffCompression::CcittG4, TiffSaveMode::Replace);
    EXPECT_FALSE(deepAsG4);
    EXPECT_TRUE(deepAsG4.error().contains(QLatin1String("1-bit"))) << deepAsG4.error().toStdString();
    EXPECT_EQ(ReadFileBytes(g4), before);

    EXPECT_FALSE(Image(Noise(20, 20, 1, 4))
                     ->saveTiff(path(QStringLiteral("missing/x.tif")), TiffCompression::Lzw, TiffSaveMode::Replace));
    EXPECT_FALSE(Image(Noise(20, 20, 1, 4))->saveTiff(dir.path(), TiffCompression::Lzw, TiffSaveMode::Replace));

    // A write cut short (here by a file size limit) must not touch the file it was to replace.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const Status cutShort = Image(Noise(600, 400, 8, 5))->saveTiff(g4, TiffCompression::None, TiffSaveMode::Replace);
    const Status appendCutShort =
        Image(Noise(600, 400, 8, 5))->saveTiff(g4, TiffCompression::None, TiffSaveMode::Append);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(cutShort);
    EXPECT_FALSE(appendCutShort);
    EXPECT_EQ(ReadFileBytes(g4), before);

    EXPECT_EQ(Entries(dir), (QStringList{QStringLiteral("g4.tif"), QStringLiteral("notes.tif")}));
}

TEST_F(TiffSave, OtherFormatsRoundTripWithResolutions) {
    struct Case {
        ImageFileFormat format;
        const char* name;
        int depth;
        bool lossless;
    };
    for (const Case c : {Case{ImageFileFormat::Png, "x.png", 1, true}, Case{ImageFileFormat::Png, "y.png", 24, true},
                         Case{ImageFileFormat::Bmp, "x.bmp", 8, true}, Case{ImageFileFormat::Jpeg, "x.jpg", 24, false},
                         Case{ImageFileFormat::Jpeg, "y.jpg", 1, false}}) {
        const QString file = path(QLatin1String(c.name));
        PixPtr pix = Noise(48, 32, c.depth, 1);
        pixSetResolution(pix.get(), 200, 200);
        const Status saved = Image(PixPtr(pixCopy(nullptr, pix.get())))->saveAs(file, c.format, 90);
        ASSERT_TRUE(saved) << c.name << saved.error().toStdString();
        const auto info = codec.fileInfo(file);
        ASSERT_TRUE(info) << c.name << info.error().toStdString();
        EXPECT_EQ(info.value().width, 48) << c.name;
        EXPECT_EQ(info.value().pageCount, 1) << c.name;
        EXPECT_EQ(info.value().xResolution, 200) << c.name;
        EXPECT_EQ(info.value().yResolution, 200) << c.name;
        const auto loaded = codec.loadPage(file, 0, c.depth);
        ASSERT_TRUE(loaded) << c.name << loaded.error().toStdString();
        EXPECT_EQ(loaded.value().image->xResolution(), 200) << c.name;
        if (c.lossless) {
            EXPECT_EQ(DifferentPixels(PixOf(*loaded.value().image), pix.get()), 0) << c.name;
        }
    }
}

} // namespace
} // namespace kestrova::test
