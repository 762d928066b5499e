// The whole station without a window: the sample forms from the folder feeder are scanned,
// decoded, the problem page named, the pages stored and backed up into zip files.
#include "core/station/Station.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "platform/zip/LibzipArchive.h"
#include "support/FakeClock.h"
#include "support/ScriptedPrompter.h"
#include "support/StationDir.h"
#include "support/ZipCheck.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace kestrova;
using kestrova::test::RunKestrova;
using kestrova::test::StationDir;

namespace {

QString AwaitingBackup(const StationDir& station) {
    const test::KestrovaRun run = RunKestrova(station, {"status"});
    return QJsonDocument::fromJson(run.out.toUtf8())["counters"]["CDGroupLabel"]["text"].toString();
}

} // namespace

TEST(BackupEndToEnd, PaperToZipFilesOnTheMedium) {
    StationDir station;
    const QString files = QStringLiteral(KESTROVA_SOURCE_DIR "/scripts/demo-station/files");
    QDirIterator it(files, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString to = station.path(QDir(files).relativeFilePath(from));
        QDir().mkpath(QFileInfo(to).path());
        ASSERT_TRUE(QFile::copy(from, to));
    }
    const int forms = static_cast<int>(QDir(station.path("feeder")).entryList(QDir::Files).size());
    ASSERT_GT(forms, 1);

    test::KestrovaRun run = RunKestrova(station, {"scan"});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    run = RunKestrova(station, {"decode-batch"});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    run = RunKestrova(station, {"problems"});
    ASSERT_EQ(run.out.count('\n'), 1) << run.out.toStdString();
    run = RunKestrova(station, {"problems", "accept", "1", "55500123"});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    run = RunKestrova(station, {"convert"});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(AwaitingBackup(station), QString::number(forms));

    run = RunKestrova(station, {"backup"});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QString("%1 recorded").arg(forms))) << run.out.toStdString();
    EXPECT_EQ(AwaitingBackup(station), "0");

    QStringList pages = QDir(station.path("local")).entryList({"*.tif"}, QDir::Files, QDir::Name);
    ASSERT_EQ(pages.size(), forms);
    EXPECT_EQ(pages.filter("55500123~").size(), 1);
    EXPECT_EQ(test::CheckedZipEntriesBelow(station.path("local/ZipFiles")), pages);

    // The groups' zip files wait for more images; moved as the commit of waiting zip files moves
    // them, the medium holds every page.
    test::ScriptedPrompter prompter;
    test::FakeClock clock;
    Station st(prompter, clock);
    LibzipFactory zipFactory;
    ZipMedia media(st, zipFactory);
    for (const QString& zip : QDir(station.path("local/ZipFiles")).entryList({"*.zip"}, QDir::Files)) {
        const QString group = zip.left(zip.indexOf('~'));
        EXPECT_EQ(media.ZipAddAndCommit(station.path("local/ZipFiles/" + zip), {}, station.path("backup/" + group),
                                        nullptr, true),
                  0);
    }
    EXPECT_EQ(test::CheckedZipEntriesBelow(station.path("backup")), pages);
}
