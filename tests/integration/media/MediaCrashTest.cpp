// Committing the waiting zip files and finalising a medium (with its zip rebuilds), killed at each
// of their steps and run again until they succeed: every image ends on the medium exactly once,
// every row is labelled with the medium and names the zip file that holds its image, and nothing
// is left in the zip folder, its rebuild folder or on the medium but the zip files and the summary.
#include "../../platform/volumes/LoopMedium.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "support/BatchSketch.h"
#include "support/StationDir.h"
#include "support/StoredImages.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace kestrova {
namespace {

using test::StationDir;

struct Row {
    QString key;
    QString zipName;
    QString writeTime;
    QString label;
    QString verified;
};

QStringList Files(const QString& dir) {
    QStringList found;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) found << QDir(dir).relativeFilePath(it.next());
    found.sort();
    return found;
}

// Entry names of a zip file, read by python3's zipfile after its check.
QStringList Entries(const QString& zip) {
    QProcess python;
    python.start("python3", {"-c",
                             "import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1])\nassert z.testzip() is None\n"
                             "print('\\n'.join(z.namelist()))",
                             zip});
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << zip.toStdString() << python.readAllStandardError().toStdString();
    return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// A station whose backup destination is a labelled medium (CD0001, loop-mounted), with the images
// of several groups stored: rows and local copies (real pages, so that finalising verifies them).
struct MediumStation {
    test::LoopMedium medium{QStringLiteral("CD0001"), 16};
    StationDir station;
    int rows = 0;

    MediumStation() {
        if (!medium.mounted()) return;
        EXPECT_TRUE(station.replaceInSetup(station.path("backup/").toUtf8(), (medium.mountPoint() + "/").toUtf8()));
    }

    void stock(const QString& group, int n) {
        static const QByteArray page = [] {
            const LeptonicaImageCodec codec;
            decodetest::PageSketch sketch(100, 60.0, 40.0);
            sketch.text(5.0, 30.0);
            const QTemporaryDir dir;
            const QString file = dir.path() + "/page.tif";
            EXPECT_TRUE(sketch.image(codec)->saveTiff(file, TiffCompression::CcittG4, TiffSaveMode::Replace));
            QFile f(file);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        test::StockStoredImages(station, group, rows + 1, n, [](const QString&) { return page; });
        rows += n;
    }

    test::KestrovaRun run(const QStringList& args, const QString& fault = {}) {
        station.faultPoint = fault;
        const test::KestrovaRun r = test::RunKestrova(station, args);
        station.faultPoint.clear();
        return r;
    }

    QList<Row> Rows() const {
        QList<Row> found;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "rows");
            db.setDatabaseName(station.path("ImageDatabase/KestrovaImageData.mdb"));
            EXPECT_TRUE(db.open());
            QSqlQuery q("select ReqID || '~' || DocDefn, ZipName, CDWriteTime, CDLabel, Verified from ImageData "
                        "order by SeqNumber",
                        db);
            while (q.next())
                found.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                              q.value(3).toString(), q.value(4).toString()});
        }
        QSqlDatabase::removeDatabase("rows");
        return found;
    }

    // The end state of a settled run: each image once on the medium, in the zip file its row
    // names; every row labelled; no other file on the medium or in the zip folder.
    void expectSettled(const QStringList& alsoOnMedium = {}) {
        const QList<Row> found = Rows();
        ASSERT_EQ(found.size(), rows);
        QMap<QString, QString> zipOf;
        QStringList keys, others;
        for (const QString& file : Files(medium.mountPoint())) {
            if (!file.endsWith(".zip") || file.contains("/.")) {
                others << file;
                continue;
            }
            for (const QString& entry : Entries(medium.path(file))) {
                keys << QFileInfo(entry).completeBaseName();
                zipOf[QFileInfo(entry).completeBaseName()] = QFileInfo(file).completeBaseName();
            }
        }
        EXPECT_EQ(others, alsoOnMedium) << "on the medium: " << others.join(' ').toStdString();
        EXPECT_EQ(keys.size(), rows) << "every image exactly once";
        for (const Row& r : found) {
            EXPECT_EQ(r.zipName, zipOf.value(r.key)) << r.key.toStdString();
            EXPECT_EQ(r.label, "CD0001") << r.key.toStdString();
            EXPECT_FALSE(r.writeTime.isEmpty()) << r.key.toStdString();
        }
        const QStringList left = Files(station.path("local/ZipFiles"));
        EXPECT_TRUE(left.isEmpty()) << "left in the zip folder: " << left.join(' ').toStdString();
    }
};

// Kills a run at fault, then runs the command again until it succeeds (at most three times).
void KillAndSettle(MediumStation& m, const QStringList& args, const QString& fault) {
    EXPECT_TRUE(m.run(args, fault).killed) << "the fault point was not reached";
    test::KestrovaRun again;
    for (int i = 0; i < 3 && again.exitCode != 0; ++i) again = m.run(args);
    EXPECT_EQ(again.exitCode, 0) << again.out.toStdString() << again.err.toStdString();
}

TEST(MediaCrash, AFlushKilledAtAnyStepIsSettledByTheNext) {
    // The second of three waiting zip files: copied to the medium, renamed there, rows not labelled.
    for (const QString fault : {"zip.media-copied#2", "zip.media-renamed#2", "flush.moved#2"}) {
        SCOPED_TRACE(fault.toStdString());
        MediumStation m;
        KESTROVA_NEED_MEDIUM(m.medium);
        for (const QString group : {"12", "13", "14"}) m.stock(group, 5);
        ASSERT_EQ(m.run({"backup"}).exitCode, 0);
        ASSERT_EQ(Files(m.station.path("local/ZipFiles")).size(), 3);
        KillAndSettle(m, {"media", "flush"}, fault);
        m.expectSettled();
    }
}

TEST(MediaCrash, AFinaliseKilledWhileItRebuildsIsSettledByTheNext) {
    // Zip file 12 is lost from the medium and 13 cut short there (both rebuilt, 12 first); 14 still
    // waits in the zip folder and is committed first. Each fault with its step: the commit's rows
    // not labelled; rebuild 12 half added, all added, copied to the medium, renamed there; rebuild
    // 13 half added, renamed there; the summary copied to the medium but not renamed.
    const QStringList faults{"flush.moved#1",       "rebuild.added#10", "rebuild.added#20",    "zip.media-copied#2",
                             "zip.media-renamed#2", "rebuild.added#30", "zip.media-renamed#3", "copy.written#1"};
    const QStringList finalise{"media", "finalise", "--percent", "100", "--lis-anyway"};
    for (const QString& fault : faults) {
        SCOPED_TRACE(fault.toStdString());
        MediumStation m;
        KESTROVA_NEED_MEDIUM(m.medium);
        m.stock("12", 20);
        m.stock("13", 20);
        ASSERT_EQ(m.run({"backup"}).exitCode, 0);
        ASSERT_EQ(m.run({"media", "flush"}).exitCode, 0);
        m.stock("14", 5);
        ASSERT_EQ(m.run({"backup"}).exitCode, 0);
        const QList<Row> before = m.Rows();
        ASSERT_TRUE(QFile::remove(m.medium.path("12/" + before[0].zipName + ".zip")));
        QFile cut(m.medium.path("13/" + before[20].zipName + ".zip"));
        ASSERT_TRUE(cut.open(QIODevice::ReadWrite) && cut.resize(cut.size() / 2));
        cut.close();

        KillAndSettle(m, finalise, fault);
        m.expectSettled({"summary/CD0001.csv"});
        for (const Row& r : m.Rows()) EXPECT_EQ(r.verified, "2") << r.key.toStdString();
    }
}

} // namespace
} // namespace kestrova
