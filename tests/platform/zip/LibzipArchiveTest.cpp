#include "platform/zip/LibzipArchive.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

using namespace kestrova;

namespace {

class LibzipArchiveTest : public ::testing::Test {
protected:
    QString pathOf(const QString& name) const { return dir.filePath(name); }

    std::unique_ptr<ZipArchive> open(const QString& path) {
        QString error;
        auto archive = factory.open(path, error);
        EXPECT_TRUE(archive) << error.toStdString();
        return archive;
    }

    static QByteArray readAll(const ZipArchive& archive, const QString& name) {
        QByteArray data;
        const Status status = archive.read(name, data);
        EXPECT_TRUE(status) << status.error().toStdString();
        return data;
    }

    // A committed archive with a few entries.
    QString makeArchive(const QString& name, const QStringList& entries) {
        const QString path = pathOf(name);
        auto archive = open(path);
        for (const QString& entry : entries) EXPECT_TRUE(archive->add(entry, entry.toUtf8().repeated(50), modified));
        EXPECT_TRUE(archive->commit());
        return path;
    }

    QTemporaryDir dir;
    LibzipFactory factory;
    const QDateTime modified{QDate(2026, 3, 14), QTime(10, 20, 31)};
};

const QByteArray Compressible = QByteArray("Sample 0001 page text, ").repeated(4000);

} // namespace

TEST_F(LibzipArchiveTest, AddedEntriesReadBackAfterCommitAndReopen) {
    const QString path = pathOf("store.zip");
    auto archive = open(path);
    EXPECT_EQ(archive->count(), 0);

    QByteArray binary;
    for (int i = 0; i < 3000; ++i) binary.append(char((i * 7919) >> 3));
    ASSERT_TRUE(archive->add("page1.tif", Compressible, modified));
    ASSERT_TRUE(archive->add("page2.bin", binary, modified, 0));
    ASSERT_TRUE(archive->add("empty.txt", QByteArray(), modified));
    EXPECT_EQ(readAll(*archive, "page1.tif"), Compressible) << "pending data reads back";
    EXPECT_FALSE(QFile::exists(path)) << "nothing written before the commit";

    const Status committed = archive->commit();
    ASSERT_TRUE(committed) << committed.error().toStdString();
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(archive->count(), 3) << "the archive stays usable after a commit";
    EXPECT_EQ(readAll(*archive, "page2.bin"), binary);

    auto reopened = open(path);
    EXPECT_EQ(reopened->entryNames(), QStringList({"page1.tif", "page2.bin", "empty.txt"}));
    EXPECT_EQ(readAll(*reopened, "PAGE1.TIF"), Compressible);
    EXPECT_EQ(readAll(*reopened, "page2.bin"), binary);
    EXPECT_EQ(readAll(*reopened, "empty.txt"), QByteArray());
    QByteArray none;
    EXPECT_FALSE(reopened->read("page3.tif", none));

    // What libzip itself reads from the file: method, size, local date, no attributes.
    int code = 0;
    zip_t* raw = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    ASSERT_NE(raw, nullptr) << code;
    zip_stat_t stat;
    ASSERT_EQ(zip_stat(raw, "page1.tif", 0, &stat), 0);
    EXPECT_EQ(stat.comp_method, ZIP_CM_DEFLATE);
    EXPECT_LT(stat.comp_size * 20, stat.size);
    EXPECT_LE(std::abs(qint64(stat.mtime) - modified.toSecsSinceEpoch()), 2);
    ASSERT_EQ(zip_stat(raw, "page2.bin", 0, &stat), 0);
    EXPECT_EQ(stat.comp_method, ZIP_CM_STORE);
    zip_uint8_t system = 0xff;
    zip_uint32_t attributes = 1;
    ASSERT_EQ(zip_file_get_external_attributes(raw, 0, 0, &system, &attributes), 0);
    EXPECT_EQ(system, ZIP_OPSYS_DOS);
    EXPECT_EQ(attributes, 0u);
    zip_discard(raw);

    // An outside reader checks every entry's CRC and sees the level-9 entries marked as maximum
    // compression, as unzip programs show them.
    QProcess python;
    python.start("python3", {"-c",
                             "import sys, zipfile\n"
                             "z = zipfile.ZipFile(sys.argv[1])\n"
                             "assert z.testzip() is None\n"
                             "print(','.join('%s:%d:%d' % (i.filename, i.compress_type, i.flag_bits & 6) "
                             "for i in z.infolist()))",
                             path});
    ASSERT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.readAllStandardOutput().trimmed(), "page1.tif:8:2,page2.bin:0:0,empty.txt:8:2")
        << python.readAllStandardError().toStdString();
}

TEST_F(LibzipArchiveTest, SameNameReplacesInPlaceAndRemoveIgnoresCase) {
    const QString path = makeArchive("store.zip", {"a.tif", "b.tif", "c.tif"});
    auto archive = open(path);
    ASSERT_TRUE(archive->add("B.TIF", "new b", modified));
    ASSERT_TRUE(archive->add("d.tif", "first d", modified));
    ASSERT_TRUE(archive->add("d.tif", "second d", modified)) << "a pending entry is replaced too";
    EXPECT_EQ(archive->entryNames(), QStringList({"a.tif", "B.TIF", "c.tif", "d.tif"}));
    EXPECT_EQ(archive->remove({"A.Tif", "D.TIF", "missing.tif"}), 2);
    EXPECT_EQ(archive->remove({"a.tif"}), 0) << "already removed";
    ASSERT_TRUE(archive->add(QString::fromUtf8("Pr\u00fcfung.tif"), "e", modified));
    ASSERT_TRUE(archive->commit());

    auto reopened = open(path);
    EXPECT_EQ(reopened->entryNames(), QStringList({"B.TIF", "c.tif", QString::fromUtf8("Pr\u00fcfung.tif")}));
    EXPECT_EQ(readAll(*reopened, QString::fromUtf8("PR\u00dcFUNG.TIF")), QByteArray("e"));
    EXPECT_EQ(readAll(*reopened, "b.tif"), QByteArray("new b"));
    EXPECT_EQ(readAll(*reopened, "c.tif"), QByteArray("c.tif").repeated(50));
}

TEST_F(LibzipArchiveTest, OtherZipToolsReadTheArchive) {
    const QString path = makeArchive("store.zip", {"one.tif", "two.tif"});
    const QString unzip = QStandardPaths::findExecutable("unzip");
    if (unzip.isEmpty()) GTEST_SKIP() << "unzip is not installed";
    QProcess process;
    process.start(unzip, {"-t", path});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
    EXPECT_EQ(process.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("testing: one.tif") && output.contains("testing: two.tif")) << output.toStdString();
}

TEST_F(LibzipArchiveTest, FileExistsOnlyWhileItHasEntries) {
    const QString path = pathOf("store.zip");
    auto archive = open(path);
    EXPECT_TRUE(archive->commit()) << "an empty archive commits";
    EXPECT_FALSE(QFile::exists(path)) << "and is not created";

    ASSERT_TRUE(archive->add("only.tif", "x", modified));
    ASSERT_TRUE(archive->commit());
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(archive->remove({"ONLY.TIF"}), 1);
    const Status status = archive->commit();
    EXPECT_TRUE(status) << status.error().toStdString();
    EXPECT_FALSE(QFile::exists(path)) << "an archive left without entries is deleted";
    EXPECT_EQ(archive->count(), 0);
    EXPECT_TRUE(archive->add("again.tif", "y", modified)) << "still usable";
    EXPECT_TRUE(archive->commit());
    EXPECT_EQ(open(path)->entryNames(), QStringList({"again.tif"}));

    // A file of no bytes is an empty archive too; it is replaced by the first commit with entries.
    const QString zero = pathOf("zero.zip");
    test::WriteBytes(zero, QByteArray());
    archive = open(zero);
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->count(), 0);
    ASSERT_TRUE(archive->add("page.tif", "z", modified));
    ASSERT_TRUE(archive->commit());
    EXPECT_EQ(readAll(*open(zero), "page.tif"), QByteArray("z"));
}

TEST_F(LibzipArchiveTest, DamagedFilesGiveAClearErrorNotACrash) {
    const QString good = makeArchive("good.zip", {"page.tif"});
    const QByteArray zipData = test::ReadFileBytes(good);
    ASSERT_FALSE(zipData.isEmpty());

    const struct {
        const char* name;
        QByteArray data;
    } notArchives[] = {
        {"text.zip", QByteArray("this is not a zip archive\n").repeated(10)},
        {"truncated.zip", zipData.left(zipData.size() / 2)},
        {"tail-cut.zip", zipData.left(zipData.size() - 5)},
        {"short.zip", QByteArray("PK\x05\x06", 4)},
    };
    for (const auto& sample : notArchives) {
        const QString path = pathOf(sample.name);
        test::WriteBytes(path, sample.data);
        QString error;
        EXPECT_EQ(factory.open(path, error), nullptr) << sample.name;
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_EQ(test::ReadFileBytes(path), sample.data) << "left as it was";
    }

    // A sound directory with damaged compressed data opens; reading the entry fails.
    QByteArray damaged = zipData;
    const qsizetype at = damaged.indexOf("page.tif") + 8 + 4;
    for (qsizetype i = at; i < at + 8 && i < damaged.size(); ++i) damaged[i] = char(~damaged[i]);
    const QString path = pathOf("damaged.zip");
    test::WriteBytes(path, damaged);
    auto archive = open(path);
    ASSERT_TRUE(archive);
    QByteArray data;
    const Status status = archive->read("page.tif", data);
    EXPECT_FALSE(status);
    EXPECT_TRUE(status.error().contains("page.tif")) << status.error().toStdString();
    EXPECT_TRUE(data.isEmpty());
}

TEST_F(LibzipArchiveTest, CommitThatCannotWriteFailsAndLeavesNothingBehind) {
    auto archive = open(pathOf("missing/store.zip"));
    ASSERT_TRUE(archive) << "a missing folder is found out by the commit";
    ASSERT_TRUE(archive->add("page.tif", "x", modified));
    Status status = archive->commit();
    EXPECT_FALSE(status);
    EXPECT_TRUE(status.error().contains(pathOf("missing/store.zip"))) << status.error().toStdString();
    EXPECT_EQ(archive->count(), 1) << "the changes are kept for another try";
    EXPECT_FALSE(archive->commit());

    // A regular file where the folder should be is refused when opening.
    test::WriteBytes(pathOf("plain"), "a regular file");
    QString error;
    EXPECT_EQ(factory.open(pathOf("plain/store.zip"), error), nullptr);
    EXPECT_TRUE(error.contains(pathOf("plain/store.zip"))) << error.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"plain"}));
    EXPECT_EQ(test::ReadFileBytes(pathOf("plain")), QByteArray("a regular file"));

    // An existing archive whose folder is gone by the time of the commit stays as it was.
    ASSERT_TRUE(QDir(dir.path()).mkdir("media"));
    const QString path = makeArchive("media/store.zip", {"old.tif"});
    const QByteArray before = test::ReadFileBytes(path);
    archive = open(path);
    ASSERT_TRUE(archive->add("new.tif", "new", modified));
    ASSERT_TRUE(QDir(dir.path()).rename("media", "moved"));
    test::WriteBytes(pathOf("media"), "in the way");
    status = archive->commit();
    EXPECT_FALSE(status);
    EXPECT_FALSE(status.error().isEmpty());
    EXPECT_EQ(QDir(pathOf("moved")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"store.zip"}));
    EXPECT_EQ(test::ReadFileBytes(pathOf("moved/store.zip")), before);
}

TEST_F(LibzipArchiveTest, NamesWithAFolderOrLevelsOutOfRangeAreRefused) {
    auto archive = open(pathOf("store.zip"));
    for (const QString& name : {QString(), QString("dir/page.tif"), QString("dir\\page.tif")}) {
        const Status status = archive->add(name, "x", modified);
        EXPECT_FALSE(status) << name.toStdString();
        EXPECT_FALSE(status.error().isEmpty());
    }
    EXPECT_FALSE(archive->add("page.tif", "x", modified, 10));
    EXPECT_FALSE(archive->add("page.tif", "x", modified, -1));
    EXPECT_EQ(archive->count(), 0);
}
