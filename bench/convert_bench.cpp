// The convert pass end to end: 1,000 decoded A4 pages at 300 dpi (G4, text-like print and a
// request number) get their store copy, local copy and ImageData row and leave the decoded
// directory. Beside it the floor: the same files copied twice with cp and the same rows inserted
// in one transaction. Both report pages per second.

#include "barcode_page.h"
#include "bench_station.h"
#include "core/config/SetupFile.h"
#include "core/config/SetupInfo.h"
#include "core/db/TImageDataModule.h"
#include "core/store/ConvertProcess.h"
#include "platform/leptonica/LeptonicaImageCodec.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdlib>
#include <string>

namespace {

using namespace kestrova;

constexpr int Dpi = 300;
constexpr int Pages = 1000;
constexpr int DistinctPages = 20; // drawn once each, then copied under 1,000 names

QString Run(const QString& command) {
    return std::system(command.toLocal8Bit().constData()) == 0 ? QString() : QStringLiteral("failed: ") + command;
}

// A station with its database and the 1,000 pages kept aside in a source folder.
struct Rig : bench::BenchStation {
    Rig() : BenchStation({"scan", "problems", "decoded", "store", "local", "source", "floor1", "floor2"}) {
        QDir().mkpath(path(QStringLiteral("ImageDatabase")));
        QFile::copy(QStringLiteral(KESTROVA_BENCH_BIN_DIR "/ImageDatabase/KestrovaImageDataBlank.mdb"),
                    path(QStringLiteral("ImageDatabase/KestrovaImageDataBlank.mdb")));
        station.editSetup().ProgramDir = dir.path() + QLatin1Char('/');
        const QByteArray setup = bench::StationSetupText("convert benchmark", dir.path(), bench::RequestFormOptions);
        if (ReadSetupBytes(station, setup) != SetupOutcome::Ok) return;
        data = TImageDataModule::Create(station).module;
        if (!data) return;
        station.DataModule = data.get();
        for (int p = 0; p < DistinctPages; ++p) {
            const auto form = barcode::bench::RequestForm(Dpi, static_cast<unsigned>(p));
            auto image = codec.fromPageBitmap(form.bitmap(), Dpi, Dpi);
            if (!image || !image.value()->saveTiff(path(QStringLiteral("source/p%1.tif").arg(p)),
                                                   TiffCompression::CcittG4, TiffSaveMode::Replace))
                return;
        }
        for (int i = 0; i < Pages; ++i) {
            const QString name = QStringLiteral("source/%1~REQS10A1B2.tif").arg(20260000 + i);
            if (!QFile::copy(path(QStringLiteral("source/p%1.tif").arg(i % DistinctPages)), path(name))) return;
        }
        for (int p = 0; p < DistinctPages; ++p) QFile::remove(path(QStringLiteral("source/p%1.tif").arg(p)));
        ready = true;
    }

    QString reset() {
        for (const char* d : {"decoded", "store", "local", "floor1", "floor2"}) {
            QDir(path(QLatin1String(d))).removeRecursively();
            QDir().mkpath(path(QLatin1String(d)));
        }
        QSqlQuery q(QSqlDatabase::database(data->connectionName()));
        if (!q.exec(QStringLiteral("delete from ImageData"))) return q.lastError().text();
        return Run(QStringLiteral("cp %1/* %2/").arg(path(QStringLiteral("source")), path(QStringLiteral("decoded"))));
    }

    LeptonicaImageCodec codec;
    std::unique_ptr<TImageDataModule> data;
    bool ready = false;
};

Rig& TheRig() {
    static Rig rig;
    return rig;
}

void Report(benchmark::State& state) {
    state.counters["pages/s"] = benchmark::Counter(double(state.iterations()) * Pages, benchmark::Counter::kIsRate);
}

// Times pass once an iteration, each time on the rig made afresh; the first error (empty: none)
// skips the benchmark.
template <typename Pass> void TimePasses(benchmark::State& state, Pass pass) {
    Rig& r = TheRig();
    if (!r.ready) return state.SkipWithError("the pages could not be made");
    for (auto _ : state) {
        state.PauseTiming();
        if (const QString error = r.reset(); !error.isEmpty()) return state.SkipWithError(qPrintable(error));
        state.ResumeTiming();
        if (const QString error = pass(r); !error.isEmpty()) return state.SkipWithError(qPrintable(error));
    }
    Report(state);
}

void BM_ConvertPass(benchmark::State& state) {
    TimePasses(state, [](Rig& r) {
        ConvertProcess convert(r.station, r.codec);
        const ConvertSummary summary = convert.ConvertDecodedImages();
        if (summary.stored == Pages) return QString();
        return QStringLiteral("%1 of %2 stored; %3")
            .arg(summary.stored)
            .arg(Pages)
            .arg(r.station.eventLog().lines().value(0));
    });
}

// The floor: the files copied twice by cp, and the rows inserted in one transaction.
void BM_CopyAndInsertFloor(benchmark::State& state) {
    TimePasses(state, [](Rig& r) {
        for (const char* to : {"floor1", "floor2"}) {
            const QString error = Run(QStringLiteral("cp %1/* %2/").arg(r.path("source"), r.path(QLatin1String(to))));
            if (!error.isEmpty()) return error;
        }
        QSqlDatabase db = QSqlDatabase::database(r.data->connectionName());
        db.transaction();
        QSqlQuery q(db);
        q.prepare(QStringLiteral("insert into ImageData (SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, SentToSystem) "
                                 "values (?, ?, ?, ?, ?, 0)"));
        for (int i = 0; i < Pages; ++i) {
            q.addBindValue(i + 1);
            q.addBindValue(QString::number(20260000 + i));
            q.addBindValue(QStringLiteral("REQS10A1B2C3"));
            q.addBindValue(QStringLiteral("2026-12-10 10:00:00"));
            q.addBindValue(QStringLiteral("2026-12-10 10:00:00"));
            if (!q.exec()) return q.lastError().text();
        }
        db.commit();
        return QString();
    });
}

BENCHMARK(BM_ConvertPass)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_CopyAndInsertFloor)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();

} // namespace
