// Signed backups: 100 local copies of 300 dpi pages (about 50 KB each) signed and added one by one
// to a zip file, as the backup pass does on a signing station (message built, signed, added
// through the stream path into a zip session; the zip file is written once at the end, as the
// pass writes its batch, and moved to the media with its 100th image). Beside it the floors: the
// same images signed with OpenSSL in a loop (no message building) and added to one zip file with
// libzip, written once, deflated at level 9 by libzip's zlib or by libdeflate as the station's
// zip adapter does. All report images per second; figures in bench/README.md.

#include "bench_signing.h"
#include "core/ports/ConsolePrompter.h"
#include "core/store/SignBackup.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "platform/zip/LibzipArchive.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

using namespace kestrova;
using kestrova::bench::Deflater;

constexpr int Images = 100;
constexpr int ImageBytes = 50 * 1024;

struct Rig {
    QTemporaryDir dir;
    ConsolePrompter prompter;
    SystemClock clock;
    Station station{prompter, clock};
    OpenSslSmime smime{dir.path() + QStringLiteral("/certificates/")};
    LibzipFactory zips;
    ZipMedia media{station, zips};
    SignedImageArchive archive{station, media};
    QList<QByteArray> images;
    bool ready = false;

    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    Rig() {
        QDir().mkpath(path("local/ZipFiles"));
        QDir().mkpath(path("backup"));
        StationSetup& setup = station.editSetup();
        setup.SetupInfo.Directories[6] = path("local/");
        setup.SetupInfo.Directories[7] = path("backup/");
        setup.StoreMask = QStringLiteral("**");
        if (!bench::UseStationCertificate(station, smime, path(""))) return;
        // A G4 page hardly compresses: random bytes behind a TIFF header stand in for one.
        for (int i = 0; i < Images; ++i) {
            QByteArray image("II*\0", 4);
            image.resize(ImageBytes);
            QRandomGenerator rng(static_cast<quint32>(i + 1));
            for (qsizetype b = 4; b < image.size(); ++b) image[b] = static_cast<char>(rng.generate());
            images << image;
            QFile f(path(QStringLiteral("local/12%1~REQS1A.tif").arg(i, 3, 10, QLatin1Char('0'))));
            if (!f.open(QIODevice::WriteOnly) || f.write(image) != image.size()) return;
        }
        ready = true;
    }

    void reset() {
        QDir(path("local/ZipFiles")).removeRecursively();
        QDir(path("backup")).removeRecursively();
        QDir().mkpath(path("local/ZipFiles"));
        QFile::remove(path("floor.zip"));
    }
};

Rig& TheRig() {
    static Rig rig;
    return rig;
}

void Report(benchmark::State& state) {
    state.counters["images/s"] = benchmark::Counter(double(state.iterations()) * Images, benchmark::Counter::kIsRate);
}

void BM_SignBackup(benchmark::State& state) {
    Rig& r = TheRig();
    if (!r.ready) return state.SkipWithError("the certificate or the images could not be made");
    for (auto _ : state) {
        state.PauseTiming();
        r.reset();
        state.ResumeTiming();
        ZipSession session(r.media);
        const QString z = session.CurrentZipFileFor(QStringLiteral("12000~REQS1A"));
        for (int i = 0; i < Images; ++i) {
            QDateTime written;
            const QString key = QStringLiteral("12%1~REQS1A").arg(i, 3, 10, QLatin1Char('0'));
            const int result = r.archive.SignBackup(z, key, written, QDateTime::currentDateTime(), r.path("backup/12/"),
                                                    QString::number(i), QStringLiteral(".tif"), &session);
            if (result < 1) return state.SkipWithError(qPrintable(r.archive.LastBackupError));
        }
    }
    Report(state);
}

void BM_SignAndZipFloor(benchmark::State& state, Deflater deflater) {
    Rig& r = TheRig();
    const bench::FloorSigner signer(r.path(""));
    if (!r.ready || !signer.ready()) return state.SkipWithError("the certificate or the images could not be made");
    for (auto _ : state) {
        state.PauseTiming();
        r.reset();
        state.ResumeTiming();
        int error = 0;
        zip_t* z = zip_open(QFile::encodeName(r.path("floor.zip")).constData(), ZIP_CREATE, &error);
        QList<QByteArray> messages;
        for (int i = 0; i < Images; ++i) {
            messages << signer.sign(r.images[i]);
            if (!bench::FloorAdd(z, QStringLiteral("12%1~REQS1A.eml").arg(i), messages.last(), deflater))
                return state.SkipWithError("the message could not be added");
        }
        if (zip_close(z) != 0) return state.SkipWithError("zip_close failed");
    }
    Report(state);
}

BENCHMARK(BM_SignBackup)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();
BENCHMARK_CAPTURE(BM_SignAndZipFloor, zlib, Deflater::Zlib)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_SignAndZipFloor, libdeflate, Deflater::Libdeflate)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();

} // namespace
