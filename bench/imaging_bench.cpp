// Page image operations on A4 scans at 200 and 300 dpi: G4 decode, the reader's bitmap view,
// quarter turns, saving a decoded page (G4) and a cropped problem page (LZW), appending to a batch.

#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/leptonica/LeptonicaPageImage.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>

#include <random>

namespace {

using namespace kestrova;

// An A4 page of text-like print: short black runs on lines 1/6 inch apart.
std::unique_ptr<PageImage> A4Page(int dpi) {
    const int width = dpi * 827 / 100, height = dpi * 1169 / 100;
    leptonica::PixPtr pix(pixCreate(width, height, 1));
    std::mt19937 random(dpi);
    for (int line = dpi / 2; line < height - dpi / 2; line += dpi / 6) {
        for (int x = dpi / 2; x < width - dpi / 2;) {
            const int word = dpi / 10 + static_cast<int>(random() % (dpi / 3));
            for (int c = x; c < x + word; c += dpi / 25)
                pixRasterop(pix.get(), c, line, dpi / 40, dpi / 12, PIX_SET, nullptr, 0, 0);
            x += word + dpi / 12;
        }
    }
    pixSetResolution(pix.get(), dpi, dpi);
    return std::make_unique<LeptonicaPageImage>(std::move(pix));
}

struct Fixture {
    explicit Fixture(int dpi) : page(A4Page(dpi)) {
        g4 = dir.path() + QStringLiteral("/page.tif");
        if (const Status saved = page->saveTiff(g4, TiffCompression::CcittG4, TiffSaveMode::Replace); !saved)
            qFatal("%s", qPrintable(saved.error()));
    }
    QTemporaryDir dir;
    std::unique_ptr<PageImage> page;
    QString g4;
    LeptonicaImageCodec codec;
};

void BM_LoadG4Page(benchmark::State& state) {
    Fixture f(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(f.codec.loadPage(f.g4, 0, 1));
}

void BM_PageBitmapView(benchmark::State& state) {
    Fixture f(static_cast<int>(state.range(0)));
    barcode::PageBitmap bitmap;
    for (auto _ : state) {
        if (!f.page->toPageBitmap(bitmap)) {
            state.SkipWithError("the page has no reader's view");
            break;
        }
        benchmark::DoNotOptimize(bitmap.bits.data());
    }
}

void BM_LoadG4PageAndView(benchmark::State& state) {
    Fixture f(static_cast<int>(state.range(0)));
    barcode::PageBitmap bitmap;
    for (auto _ : state) {
        auto loaded = f.codec.loadPage(f.g4, 0, 1);
        if (!loaded || !loaded.value().image->toPageBitmap(bitmap)) {
            state.SkipWithError("the page cannot be loaded and viewed");
            break;
        }
        benchmark::DoNotOptimize(bitmap.bits.data());
    }
}

void BM_TurnQuarter(benchmark::State& state) {
    Fixture f(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(f.page->turn(-90));
}

void BM_SaveG4Replace(benchmark::State& state) {
    Fixture f(static_cast<int>(state.range(0)));
    const QString out = f.dir.path() + QStringLiteral("/decoded.tif");
    for (auto _ : state)
        benchmark::DoNotOptimize(f.page->saveTiff(out, TiffCompression::CcittG4, TiffSaveMode::Replace));
}

// The problem page save: crop the margins, turn upside down, write LZW.
void BM_SaveRegionLzw(benchmark::State& state) {
    Fixture f(static_cast<int>(state.range(0)));
    const QString out = f.dir.path() + QStringLiteral("/problem.tif");
    const QRect region(0, 40, f.page->width(), f.page->height() - 41);
    for (auto _ : state) {
        auto copy = f.page->copyRect(region);
        if (!copy || !copy.value()->turn(180)) {
            state.SkipWithError("the region cannot be copied and turned");
            break;
        }
        benchmark::DoNotOptimize(copy.value()->saveTiff(out, TiffCompression::Lzw, TiffSaveMode::Replace));
    }
}

// Appending copies the batch file first so that a failed append leaves it whole; this shows the
// cost of that copy on a batch of state.range(1) pages.
void BM_AppendG4ToBatch(benchmark::State& state) {
    Fixture f(static_cast<int>(state.range(0)));
    const QString batch = f.dir.path() + QStringLiteral("/batch.tif");
    for (int i = 0; i < state.range(1); ++i) {
        if (const Status saved = f.page->saveTiff(batch, TiffCompression::CcittG4, TiffSaveMode::Append); !saved)
            qFatal("%s", qPrintable(saved.error()));
    }
    const QString copy = f.dir.path() + QStringLiteral("/work.tif");
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(copy);
        QFile::copy(batch, copy);
        state.ResumeTiming();
        benchmark::DoNotOptimize(f.page->saveTiff(copy, TiffCompression::CcittG4, TiffSaveMode::Append));
    }
}

} // namespace

BENCHMARK(BM_LoadG4Page)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageBitmapView)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadG4PageAndView)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurnQuarter)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveG4Replace)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveRegionLzw)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendG4ToBatch)->Args({300, 1})->Args({300, 100})->Unit(benchmark::kMillisecond);
