// Reading speed of the barcode reader alone on A4 request forms in memory at 200 and 300 dpi, at
// the forms' search depth (30) and on the whole page, beside the floor of one pass over every pixel
// row. The comparison from G4 files with other readers is barcode_compare_bench.
// Run: barcode_bench --benchmark_min_time=2
#include "barcode_page.h"

#include "barcode/QVCodabar.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>

namespace kestrova::barcode::bench {
namespace {

constexpr int PagesPerDpi = 8;

const std::vector<BenchPage>& Pages(int dpi) {
    static std::map<int, std::vector<BenchPage>> pages;
    auto& list = pages[dpi];
    if (list.empty())
        for (unsigned i = 0; i < PagesPerDpi; ++i) list.push_back(RequestForm(dpi, i));
    return list;
}

// range(0): dots per inch; range(1): search depth in percent.
void BM_ReadBarcodes(benchmark::State& state) {
    const int dpi = static_cast<int>(state.range(0));
    const auto& pages = Pages(dpi);
    QVCodabar reader = FormReader(dpi);
    std::size_t i = 0;
    int found = 0;
    int pagesRead = 0;
    for (auto _ : state) {
        const auto& page = pages[i++ % pages.size()];
        benchmark::DoNotOptimize(ReadBarcodes(reader, &page.bitmap(), static_cast<int>(state.range(1))));
        found += BarcodeCount(reader) == 1 ? 1 : 0;
        ++pagesRead;
    }
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pagesRead), benchmark::Counter::kIsRate);
    state.counters["detected"] = pagesRead ? static_cast<double>(found) / pagesRead : 0.0;
}
BENCHMARK(BM_ReadBarcodes)
    ->Args({200, 30})
    ->Args({200, 100})
    ->Args({300, 30})
    ->Args({300, 100})
    ->Unit(benchmark::kMillisecond);

// The floor: count the colour changes of every row, eight bytes at a time.
void BM_PixelPassFloor(benchmark::State& state) {
    const int dpi = static_cast<int>(state.range(0));
    const auto& pages = Pages(dpi);
    std::size_t i = 0;
    for (auto _ : state) {
        const PageBitmap& page = pages[i++ % pages.size()].bitmap();
        long changes = 0;
        for (int r = 0; r < page.height; ++r) {
            const std::uint8_t* row = page.row(r);
            std::uint64_t previous = row[0] >> 7;
            for (int b = 0; b + 8 <= page.bytesPerRow; b += 8) {
                std::uint64_t word;
                std::memcpy(&word, row + b, 8);
                word = __builtin_bswap64(word);
                changes += __builtin_popcountll(word ^ ((word >> 1) | (previous << 63)));
                previous = word & 1;
            }
        }
        benchmark::DoNotOptimize(changes);
    }
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PixelPassFloor)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kestrova::barcode::bench
