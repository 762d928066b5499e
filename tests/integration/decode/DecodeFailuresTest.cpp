// Batch decoding when the image-set file is bad or a page cannot be stored: the operator is told
// and nothing is lost.
#include "DecodeRig.h"
#include "core/scan/DecodeImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kestrova;
using namespace kestrova::decodetest;

namespace {

const QString Codabar = QStringLiteral("CODABAR");
const QString ScanJobFailed = QStringLiteral("The Scan job failed.  You must re-scan the last batch.");

using test::WriteFile;

struct BadImageSet {
    const char* name;
    std::function<bool(DecodeRig&)> make;
};

TEST(DecodeImages, ABadImageSetFileFailsTheScanJobAndChangesNothing) {
    const std::vector<BadImageSet> cases = {
        {"empty file", [](DecodeRig& rig) { return WriteFile(rig.imageSet, {}); }},
        {"TIFF without pages", [](DecodeRig& rig) { return WriteFile(rig.imageSet, QByteArray("II*\0\0\0\0\0", 8)); }},
        {"truncated TIFF",
         [](DecodeRig& rig) {
             if (!rig.writeBatch({PageSketch(200).symbol(Codabar, "A1234A", 25, 10).text(30, 250)}).isEmpty())
                 return false;
             const QByteArray whole = test::ReadFileBytes(rig.imageSet);
             return WriteFile(rig.imageSet, whole.left(whole.size() / 2));
         }},
        {"garbage", [](DecodeRig& rig) { return WriteFile(rig.imageSet, QByteArray(5000, '\x5a')); }},
        {"PNG named .tif",
         [](DecodeRig& rig) {
             const auto page = PageSketch(200).symbol(Codabar, "A1234A", 25, 10).image(rig.codec);
             return page && page->saveAs(rig.imageSet, ImageFileFormat::Png);
         }},
    };
    for (const BadImageSet& bad : cases) {
        SCOPED_TRACE(bad.name);
        DecodeRig rig;
        ASSERT_TRUE(bad.make(rig));
        const QByteArray before = test::ReadFileBytes(rig.imageSet);
        rig.prompter.expectMessage("KestrovaNT");

        rig.run();

        ASSERT_EQ(rig.prompter.shown().size(), 1u);
        EXPECT_EQ(rig.prompter.shown()[0].text.toStdString(), ScanJobFailed.toStdString());
        EXPECT_TRUE(rig.decoded().isEmpty());
        EXPECT_TRUE(rig.problems().isEmpty());
        EXPECT_EQ(test::ReadFileBytes(rig.imageSet), before);
        EXPECT_EQ(QDir(rig.scanDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{QFileInfo(rig.imageSet).fileName()});
    }
}

// The decoded directory gone, or one the station may not write to: the page that belongs there is
// logged, the operator told, and the batch kept where the next scan does not overwrite it.
TEST(DecodeImages, APageThatCannotBeSavedKeepsTheBatch) {
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only decoded directory" : "decoded directory gone");
        if (readOnly && geteuid() == 0) {
            std::cout << "[ SKIPPED  ] read-only directory: root ignores permissions\n";
            continue;
        }
        DecodeRig rig;
        ASSERT_EQ(rig.writeBatch({PageSketch(200).symbol(Codabar, "A12345678A", 25, 10).text(30, 250),
                                  PageSketch(200).text(30, 250, 2)}),
                  QString());
        if (readOnly)
            ASSERT_TRUE(QFile::setPermissions(rig.decodedDir, QFile::ReadOwner | QFile::ExeOwner));
        else
            ASSERT_TRUE(QDir(rig.decodedDir).removeRecursively());
        rig.prompter.expectMessage("KestrovaNT");

        rig.run();
        if (readOnly) QFile::setPermissions(rig.decodedDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        EXPECT_TRUE(rig.decoded().isEmpty());
        ASSERT_EQ(rig.problems().size(), 2u); // the second page is a problem page all the same
        const QStringList kept = QDir(KeptImageSetDir(rig.scanDir)).entryList(QDir::Files);
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(test::ReadFileBytes(KeptImageSetDir(rig.scanDir) + kept[0]), test::ReadFileBytes(rig.imageSet));
        ASSERT_EQ(rig.prompter.shown().size(), 1u);
        const QString told = rig.prompter.shown()[0].text;
        EXPECT_TRUE(told.contains("1 page(s) of the last batch could not be saved")) << told.toStdString();
        EXPECT_TRUE(told.contains(KeptImageSetDir(rig.scanDir) + kept[0])) << told.toStdString();
        const QStringList log = rig.log();
        EXPECT_EQ(log.filter("Page 1 of the batch was not saved (" + rig.decodedDir + "12345678~HISTS2").size(), 1)
            << log.join('\n').toStdString();
        EXPECT_EQ(log.filter("The batch has been kept as ").size(), 1);
    }
}

// Without its problems directory a problem page cannot be set aside with its reason: the batch
// stops there, and is kept.
TEST(DecodeImages, AReasonFileThatCannotBeWrittenEndsTheBatch) {
    DecodeRig rig;
    ASSERT_EQ(rig.writeBatch({PageSketch(200).text(30, 250, 2),
                              PageSketch(200).symbol(Codabar, "A12345678A", 25, 10).text(30, 250)}),
              QString());
    ASSERT_TRUE(QDir(rig.problemsDir).removeRecursively());
    rig.prompter.expectMessage("KestrovaNT");

    rig.run();

    EXPECT_TRUE(rig.decoded().isEmpty());
    EXPECT_EQ(QDir(KeptImageSetDir(rig.scanDir)).entryList(QDir::Files).size(), 1);
    ASSERT_EQ(rig.prompter.shown().size(), 1u);
    EXPECT_EQ(rig.prompter.shown()[0].icon, MessageIcon::Warning);

    // With the directory back, decoding the batch again sets the first page aside and names the
    // second, once each.
    ASSERT_TRUE(QDir().mkpath(rig.problemsDir));
    rig.run();
    EXPECT_EQ(rig.decoded().size(), 1);
    EXPECT_EQ(rig.problems().size(), 2);
    rig.run();
    EXPECT_EQ(rig.decoded().size(), 1);
    EXPECT_EQ(rig.problems().size(), 2);
    EXPECT_TRUE(rig.log().last().endsWith("The batch has already been decoded.")) << rig.log().join('\n').toStdString();
}

} // namespace
