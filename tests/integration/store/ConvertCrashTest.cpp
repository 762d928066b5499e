// The convert pass killed at each of its steps, then run again: every page ends stored exactly once.
// A duplicate killed before its copy is renamed into the decoded directory leaves nothing for good.
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "support/BatchSketch.h"
#include "support/StationDir.h"
#include "support/TestFiles.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace kestrova;
using kestrova::test::StationDir;

namespace {

QStringList StoreNames(const StationDir& station) {
    QStringList names;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("crash-test"));
    db.setDatabaseName(station.path(QStringLiteral("ImageDatabase/KestrovaImageData.mdb")));
    if (db.open()) {
        QSqlQuery q(QStringLiteral("select ReqID, DocDefn from ImageData order by SeqNumber"), db);
        while (q.next()) names << q.value(0).toString() + QLatin1Char('~') + q.value(1).toString();
    }
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("crash-test"));
    return names;
}

test::KestrovaRun RunWithFault(const StationDir& station, const QString& fault) {
    QProcess p;
    p.setWorkingDirectory(station.dir.path());
    QProcessEnvironment env = station.environment();
    if (!fault.isEmpty()) env.insert(QStringLiteral("KESTROVA_FAULT_POINT"), fault);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KESTROVA_BIN_DIR "/kestrova"), {QStringLiteral("convert")});
    EXPECT_TRUE(p.waitForFinished(60000));
    const int code = p.exitStatus() == QProcess::CrashExit ? -9 : p.exitCode();
    return {code, QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(ConvertCrash, APassKilledAtAnyStepIsSettledByTheNext) {
    const LeptonicaImageCodec codec;
    decodetest::PageSketch sketch(100, 210.0, 297.0);
    sketch.text(20.0, 100.0);
    const std::unique_ptr<PageImage> page = sketch.image(codec);
    ASSERT_TRUE(page);
    const QStringList requests{"11111111", "22222222", "33333333"};
    // Each step of the second page: the renames come twice per page (store, then local copy).
    const QStringList faults{"convert.journal#2", "convert.store-written#2", "convert.local-written#2",
                             "convert.renamed#3", "convert.renamed#4",       "convert.inserted#2",
                             "convert.deleted#2", "convert.journal#1",       "convert.deleted#3"};
    for (const QString& fault : faults) {
        SCOPED_TRACE(fault.toStdString());
        StationDir station;
        for (const QString& req : requests)
            ASSERT_TRUE(page->saveTiff(station.path("decoded/" + req + "~REQS10A1B2.tif"), TiffCompression::CcittG4,
                                       TiffSaveMode::Replace));
        EXPECT_EQ(RunWithFault(station, fault).exitCode, -9) << "the fault point was not reached";
        const test::KestrovaRun again = RunWithFault(station, {});
        EXPECT_EQ(again.exitCode, 0) << again.out.toStdString() << again.err.toStdString();
        EXPECT_TRUE(again.out.contains("The store of ")) << again.out.toStdString();

        const QStringList names = StoreNames(station);
        ASSERT_EQ(names.size(), requests.size()) << names.join(' ').toStdString();
        QStringList expectedStore, expectedLocal;
        for (const QString& name : names) {
            expectedStore << name.left(2) + "/" + name + ".tif";
            expectedLocal << name + ".tif";
        }
        expectedStore.sort();
        expectedLocal.sort();
        EXPECT_EQ(test::FilesBelow(station.path("store"), QDir::Hidden | QDir::System), expectedStore);
        EXPECT_EQ(test::FilesBelow(station.path("local"), QDir::Hidden | QDir::System), expectedLocal);
        EXPECT_TRUE(test::FilesBelow(station.path("decoded"), QDir::Hidden | QDir::System).isEmpty());
    }
}

TEST(ConvertCrash, ADuplicateKilledBeforeItsRenameLeavesNothingBehind) {
    const LeptonicaImageCodec codec;
    decodetest::PageSketch sketch(100, 210.0, 297.0);
    sketch.text(20.0, 100.0);
    const std::unique_ptr<PageImage> page = sketch.image(codec);
    ASSERT_TRUE(page);
    const QStringList duplicate{"images", "duplicate", "12000001~REQS1A1.tif", "55555555"};
    // What runs after the killed copy: the hidden file it left goes with the next duplicate or the
    // next convert pass, and what was asked for again ends in the store once.
    const QList<QStringList> afterwards{{"duplicate"}, {"convert"}, {"duplicate", "convert"}};
    for (const QStringList& after : afterwards) {
        SCOPED_TRACE(after.join(' ').toStdString());
        StationDir station;
        ASSERT_TRUE(page->saveTiff(station.path("local/12000001~REQS1A1.tif"), TiffCompression::CcittG4,
                                   TiffSaveMode::Replace));
        station.faultPoint = "copy.written";
        EXPECT_TRUE(test::RunKestrova(station, duplicate).killed) << "the fault point was not reached";
        station.faultPoint.clear();
        const QStringList left = test::FilesBelow(station.path("decoded"), QDir::Hidden | QDir::System);
        ASSERT_EQ(left.size(), 1);
        EXPECT_TRUE(left[0].startsWith(".55555555~") && left[0].endsWith(".tmp")) << left[0].toStdString();
        for (const QString& step : after) {
            const test::KestrovaRun r =
                test::RunKestrova(station, step == "convert" ? QStringList{"convert"} : duplicate);
            EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
        }
        const bool copied = after.contains("duplicate");
        const bool converted = after.contains("convert");
        const QStringList decoded = test::FilesBelow(station.path("decoded"), QDir::Hidden | QDir::System);
        EXPECT_EQ(decoded.size(), copied && !converted ? 1 : 0) << decoded.join(' ').toStdString();
        EXPECT_TRUE(decoded.filter(QRegularExpression("^\\.|\\.tmp$")).isEmpty()) << decoded.join(' ').toStdString();
        EXPECT_EQ(StoreNames(station).filter("55555555").size(), copied && converted ? 1 : 0);
    }
}
