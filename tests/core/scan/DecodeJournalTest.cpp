#include "core/scan/DecodeJournal.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

bool Write(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly) {
    QFile f(path);
    return f.open(mode) && f.write(bytes) == bytes.size();
}

// The journal's records as a reopened run finds them: a line cut short, a recorded path outside
// the directories a page writes to, a page whose files are all in place, a new image-set file.
TEST(DecodeJournal, ReopenedItKeepsFinishedPagesAndClearsOnlyWhatAPageWroteInItsDirectories) {
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    const QString decoded = root + "decoded/", outside = root + "elsewhere/";
    ASSERT_TRUE(QDir().mkpath(decoded) && QDir().mkpath(outside));
    const QString imageSet = root + "qvimageset.tif";
    ASSERT_TRUE(Write(imageSet, "II*\0batch one"));

    DecodeJournal journal;
    ASSERT_EQ(journal.open(imageSet, {decoded}), QString());
    journal.begin(0, 29, {decoded + "1~A.tif"});
    journal.done(0, 29);
    journal.begin(1, 21, {decoded + "2~A.tif", decoded + "3~A.tif"});
    journal.begin(2, 30, {decoded + "4~A.tif", outside + "kept.tif", decoded + "5~A.tif"});
    for (const char* file : {"1~A.tif", "2~A.tif", "3~A.tif", "4~A.tif", ".4~A.tif.1a2b.tmp"})
        ASSERT_TRUE(Write(decoded + file, "x"));
    ASSERT_TRUE(Write(outside + "kept.tif", "x"));
    ASSERT_TRUE(Write(DecodeJournal::pathFor(imageSet), "done 3 3", QIODevice::Append)); // cut short by a kill

    DecodeJournal reopened;
    ASSERT_EQ(reopened.open(imageSet, {decoded}), QString());
    EXPECT_EQ(reopened.finished(), (QMap<int, int>{{0, 29}, {1, 21}}));
    EXPECT_EQ(reopened.recovery().completed, QList<int>{1});
    EXPECT_EQ(reopened.recovery().removed, (QStringList{decoded + ".4~A.tif.1a2b.tmp", decoded + "4~A.tif"}));
    EXPECT_EQ(reopened.recovery().refused, QStringList{outside + "kept.tif"});
    EXPECT_TRUE(QFile::exists(outside + "kept.tif"));
    EXPECT_EQ(QDir(decoded).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"1~A.tif", "2~A.tif", "3~A.tif"}));
    EXPECT_FALSE(test::ReadFileBytes(DecodeJournal::pathFor(imageSet)).contains("done 3 3\n"));
    reopened.done(2, 30);
    EXPECT_TRUE(test::ReadFileBytes(DecodeJournal::pathFor(imageSet)).endsWith("\ndone 2 21\ncleared 3\ndone 3 30\n"));

    // Another batch in the image-set file starts a fresh journal.
    ASSERT_TRUE(Write(imageSet, "II*\0batch two"));
    DecodeJournal fresh;
    ASSERT_EQ(fresh.open(imageSet, {decoded}), QString());
    EXPECT_TRUE(fresh.finished().isEmpty());
    EXPECT_EQ(test::ReadFileBytes(DecodeJournal::pathFor(imageSet)).count('\n'), 2);
}

} // namespace
