// The backup pass draining a backlog: 1,000 stored images (local copies of about 40 KB, as a G4
// page is) waiting in ImageData are archived by backup passes of at most 50 rows into zip files
// of 100 that move to the media, with every row update. Beside it the floor: the same images
// added to zip files with libzip in one loop, one archive written per 100 images, no database.
// Both report images per second; the ratio is printed at the end. Signed drains (each image
// wrapped in an S/MIME message) are measured once signing is built into the archive step.

#include "core/config/SetupInfo.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/Beeper.h"
#include "core/ports/ConsolePrompter.h"
#include "core/station/Station.h"
#include "core/store/BackupProcess.h"
#include "core/store/SignBackup.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "platform/volumes/SystemVolumes.h"
#include "platform/zip/LibzipArchive.h"

#include <benchmark/benchmark.h>
#include <zip.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace kestrova;

constexpr int Images = 1000;
constexpr int ImageBytes = 40 * 1024;

double g_passRate = 0;
double g_floorRate = 0;

QString Key(int i) {
    return QStringLiteral("12%1~REQS1A%1").arg(i, 6, 10, QLatin1Char('0'));
}

// Local copies: mostly incompressible bytes, as G4 data is.
void WriteImages(const QString& localDir) {
    QRandomGenerator random(42);
    QByteArray bytes(ImageBytes, '\0');
    for (int i = 1; i <= Images; ++i) {
        for (char& c : bytes) c = static_cast<char>(random.bounded(256));
        QFile f(localDir + Key(i) + QStringLiteral(".tif"));
        if (!f.open(QIODevice::WriteOnly)) std::abort();
        f.write(bytes);
    }
}

void BM_BackupPasses(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString root = dir.path() + QLatin1Char('/');
        for (const char* d : {"local", "backup"}) QDir().mkpath(root + QString::fromLatin1(d));
        ConsolePrompter prompter;
        SystemClock clock;
        Station station(prompter, clock);
        setupinformation& setup = station.editSetup().SetupInfo;
        setup.StationMode = ModeSingle;
        setup.Directories[SlotLocalImages] = root + QStringLiteral("local/");
        setup.Directories[SlotBackup] = root + QStringLiteral("backup/");
        station.editSetup().StoreMask = QStringLiteral("**");
        station.editSetup().LocalImagesFlag = true;
        QFile::copy(QStringLiteral(KESTROVA_BENCH_BIN_DIR "/ImageDatabase/KestrovaImageDataBlank.mdb"),
                    root + QStringLiteral("images.mdb"));
        QFile::setPermissions(root + QStringLiteral("images.mdb"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("stock"));
            db.setDatabaseName(root + QStringLiteral("images.mdb"));
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("begin"));
            for (int i = 1; i <= Images; ++i) {
                const QString key = Key(i);
                q.exec(QStringLiteral("insert into ImageData (SeqNumber, ReqID, DocDefn, ScanTime, SentToSystem) "
                                      "values (%1, '%2', '%3', '2026-12-08 14:05:00', 0)")
                           .arg(i)
                           .arg(key.section(QLatin1Char('~'), 0, 0), key.section(QLatin1Char('~'), 1)));
            }
            q.exec(QStringLiteral("commit"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("stock"));
        WriteImages(setup.Directories[SlotLocalImages]);
        TImageDataModule module(station, root + QStringLiteral("images.mdb"));
        station.DataModule = &module;
        LibzipFactory zipFactory;
        ZipMedia zips(station, zipFactory);
        SignedImageArchive archive(station, zips);
        SystemVolumes volumes;
        SilentBeeper beeper;
        BackupProcess backup(station, zips, archive, volumes, beeper);
        state.ResumeTiming();

        QElapsedTimer timer;
        timer.start();
        int passes = 0;
        int recorded = 0;
        do {
            backup.BackupStoredImages();
            recorded += backup.lastSummary().recorded;
            ++passes;
        } while (backup.MorePending && passes < 100);
        const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (recorded != Images) state.SkipWithError("not every image was backed up");
        g_passRate = Images / seconds;
        state.counters["images_per_s"] = g_passRate;
        state.counters["passes"] = passes;
    }
}

void BM_LibzipFloor(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString local = dir.path() + QStringLiteral("/local/");
        const QString media = dir.path() + QStringLiteral("/media/");
        QDir().mkpath(local);
        QDir().mkpath(media);
        WriteImages(local);
        state.ResumeTiming();

        QElapsedTimer timer;
        timer.start();
        zip_t* archive = nullptr;
        QList<QByteArray> held; // libzip reads the buffers when the archive is written
        for (int i = 1; i <= Images; ++i) {
            if (!archive) {
                int error = 0;
                archive = zip_open(QFile::encodeName(local + QStringLiteral("z%1.zip").arg(i)).constData(), ZIP_CREATE,
                                   &error);
            }
            QFile f(local + Key(i) + QStringLiteral(".tif"));
            f.open(QIODevice::ReadOnly);
            held.append(f.readAll());
            zip_source_t* source =
                zip_source_buffer(archive, held.last().constData(), static_cast<zip_uint64_t>(held.last().size()), 0);
            const zip_int64_t index =
                zip_file_add(archive, (Key(i) + QStringLiteral(".tif")).toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9);
            if (i % ZipCapacity == 0) {
                zip_close(archive);
                archive = nullptr;
                held.clear();
                const QString name = QStringLiteral("z%1.zip").arg(i - ZipCapacity + 1);
                QFile::copy(local + name, media + name);
                QFile::remove(local + name);
            }
        }
        const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        g_floorRate = Images / seconds;
        state.counters["images_per_s"] = g_floorRate;
    }
}

BENCHMARK(BM_BackupPasses)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibzipFloor)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

struct PrintRatio {
    ~PrintRatio() {
        if (g_passRate > 0 && g_floorRate > 0)
            std::printf("backup passes %.1f images/s, libzip floor %.1f images/s, floor / passes = %.2f\n", g_passRate,
                        g_floorRate, g_floorRate / g_passRate);
    }
} printRatio;

} // namespace
