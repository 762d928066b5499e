// The backup pass draining a backlog: 1,000 stored images (local copies of about 40 KB, as a G4
// page is) waiting in ImageData are archived by backup passes of at most 50 rows into zip files
// of 100 that move to the media, with every row update; unsigned, and signed (each image wrapped
// in an S/MIME message). Beside them the floors: the same images (signed with OpenSSL, for the
// signed floor) added to zip files with libzip in one loop, one archive written per 100 images,
// no database, deflated at level 9 by libzip's zlib or by libdeflate as the station's zip adapter
// does. All report images per second; the ratios are printed at the end.

#include "bench_signing.h"
#include "core/config/SetupInfo.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/Beeper.h"
#include "core/ports/ConsolePrompter.h"
#include "core/store/BackupProcess.h"
#include "core/store/SignBackup.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "platform/volumes/SystemVolumes.h"
#include "platform/zip/LibzipArchive.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <string>

namespace {

using namespace kestrova;
using kestrova::bench::Deflater;

constexpr int Images = 1000;
constexpr int ImageBytes = 40 * 1024;

std::map<std::string, double> g_rates; // images per second by benchmark

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

void StockRows(const QString& file) {
    QFile::copy(QStringLiteral(KESTROVA_BENCH_BIN_DIR "/ImageDatabase/KestrovaImageDataBlank.mdb"), file);
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("stock"));
        db.setDatabaseName(file);
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
}

void Record(benchmark::State& state, const std::string& key, double seconds) {
    const double rate = Images / seconds;
    g_rates[key] = rate;
    state.counters["images_per_s"] = rate;
}

void BM_BackupPasses(benchmark::State& state, bool signing) {
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
        OpenSslSmime smime(root + QStringLiteral("certificates/"));
        if (signing && !bench::UseStationCertificate(station, smime, root))
            return state.SkipWithError("the station certificate could not be made");
        StockRows(root + QStringLiteral("images.mdb"));
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
        if (recorded != Images) state.SkipWithError("not every image was backed up");
        Record(state, signing ? "signed" : "unsigned", static_cast<double>(timer.nsecsElapsed()) / 1e9);
        state.counters["passes"] = passes;
    }
}

void BM_Floor(benchmark::State& state, bool signing, Deflater deflater) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString root = dir.path() + QLatin1Char('/');
        const QString local = root + QStringLiteral("local/");
        const QString media = root + QStringLiteral("media/");
        QDir().mkpath(local);
        QDir().mkpath(media);
        WriteImages(local);
        ConsolePrompter prompter;
        SystemClock clock;
        Station station(prompter, clock);
        OpenSslSmime smime(root + QStringLiteral("certificates/"));
        if (signing && !bench::UseStationCertificate(station, smime, root))
            return state.SkipWithError("the station certificate could not be made");
        const bench::FloorSigner signer(root);
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
            held.append(signing ? signer.sign(f.readAll()) : f.readAll());
            if (!bench::FloorAdd(archive, Key(i) + (signing ? QStringLiteral(".eml") : QStringLiteral(".tif")),
                                 held.last(), deflater))
                return state.SkipWithError("the image could not be added");
            if (i % ZipCapacity == 0) {
                zip_close(archive);
                archive = nullptr;
                held.clear();
                const QString name = QStringLiteral("z%1.zip").arg(i - ZipCapacity + 1);
                QFile::copy(local + name, media + name);
                QFile::remove(local + name);
            }
        }
        Record(state, std::string(signing ? "signed" : "unsigned") + "_" + bench::DeflaterName(deflater),
               static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
}

BENCHMARK_CAPTURE(BM_BackupPasses, unsigned, false)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Floor, unsigned_zlib, false, Deflater::Zlib)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Floor, unsigned_libdeflate, false, Deflater::Libdeflate)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BackupPasses, signed, true)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Floor, signed_zlib, true, Deflater::Zlib)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Floor, signed_libdeflate, true, Deflater::Libdeflate)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The ratio of each floor to its pass, printed when the program ends.
struct PrintRatios {
    ~PrintRatios() {
        for (const char* kind : {"unsigned", "signed"}) {
            const auto pass = g_rates.find(kind);
            if (pass == g_rates.end()) continue;
            for (const Deflater d : {Deflater::Zlib, Deflater::Libdeflate}) {
                const auto floor = g_rates.find(std::string(kind) + "_" + bench::DeflaterName(d));
                if (floor == g_rates.end()) continue;
                std::printf("%s: passes %.1f images/s, floor (%s) %.1f images/s, floor / passes = %.2f\n", kind,
                            pass->second, bench::DeflaterName(d), floor->second, floor->second / pass->second);
            }
        }
    }
} printRatios;

} // namespace
