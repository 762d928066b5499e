// Our reader beside ZXing-C++ and ZBar on the same A4 request forms, in one process, with the
// detection rate of each. ZXing-C++ runs with tryHarder and without rotation, limited to the four
// symbologies the station reads and to one symbol; ZBar scans the whole page with its defaults.
// Run: barcode_compare_bench --benchmark_min_time=2
#include "barcode_page.h"

#include "barcode/QVCodabar.h"

// zbar.h first: ZXing-C++ defines a macro that clashes with a name in ZBar's C++ wrappers.
#include <zbar.h>

#include <ZXing/ReadBarcode.h>
#include <benchmark/benchmark.h>

#include <map>
#include <vector>

using namespace zbar;

namespace kestrova::barcode::bench {
namespace {

constexpr int PagesPerDpi = 8;

// A page as 8-bit grey, top row first, as the other readers take it.
struct GreyPage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

GreyPage ToGrey(const PageBitmap& bitmap) {
    GreyPage g{bitmap.width, bitmap.height, std::vector<std::uint8_t>(std::size_t(bitmap.width) * bitmap.height)};
    for (int y = 0; y < bitmap.height; ++y) {
        const std::uint8_t* row = bitmap.row(bitmap.height - 1 - y);
        for (int x = 0; x < bitmap.width; ++x)
            g.pixels[std::size_t(y) * bitmap.width + x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    }
    return g;
}

const std::vector<GreyPage>& Pages(int dpi) {
    static std::map<int, std::vector<GreyPage>> pages;
    auto& list = pages[dpi];
    if (list.empty())
        for (unsigned i = 0; i < PagesPerDpi; ++i) list.push_back(ToGrey(RequestForm(dpi, i).bitmap()));
    return list;
}

void Report(benchmark::State& state, int pagesRead, int found) {
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pagesRead), benchmark::Counter::kIsRate);
    state.counters["detected"] = pagesRead ? static_cast<double>(found) / pagesRead : 0.0;
}

void BM_ZXing(benchmark::State& state) {
    const auto& pages = Pages(static_cast<int>(state.range(0)));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::Codabar | ZXing::BarcodeFormat::Code39 | ZXing::BarcodeFormat::ITF |
                     ZXing::BarcodeFormat::Code128);
    hints.setTryHarder(true);
    hints.setTryRotate(false);
    hints.setMaxNumberOfSymbols(1);
    std::size_t i = 0;
    int found = 0, pagesRead = 0;
    for (auto _ : state) {
        const GreyPage& p = pages[i++ % pages.size()];
        const auto results =
            ZXing::ReadBarcodes(ZXing::ImageView(p.pixels.data(), p.width, p.height, ZXing::ImageFormat::Lum), hints);
        found += results.empty() ? 0 : 1;
        ++pagesRead;
    }
    Report(state, pagesRead, found);
}
BENCHMARK(BM_ZXing)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_ZBar(benchmark::State& state) {
    const auto& pages = Pages(static_cast<int>(state.range(0)));
    zbar_image_scanner_t* scanner = zbar_image_scanner_create();
    zbar_image_scanner_set_config(scanner, ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    for (zbar_symbol_type_t sym : {ZBAR_CODABAR, ZBAR_CODE39, ZBAR_I25, ZBAR_CODE128})
        zbar_image_scanner_set_config(scanner, sym, ZBAR_CFG_ENABLE, 1);
    std::size_t i = 0;
    int found = 0, pagesRead = 0;
    for (auto _ : state) {
        const GreyPage& p = pages[i++ % pages.size()];
        zbar_image_t* image = zbar_image_create();
        zbar_image_set_format(image, zbar_fourcc('Y', '8', '0', '0'));
        zbar_image_set_size(image, static_cast<unsigned>(p.width), static_cast<unsigned>(p.height));
        zbar_image_set_data(image, p.pixels.data(), p.pixels.size(), nullptr);
        found += zbar_scan_image(scanner, image) > 0 ? 1 : 0;
        zbar_image_destroy(image);
        ++pagesRead;
    }
    zbar_image_scanner_destroy(scanner);
    Report(state, pagesRead, found);
}
BENCHMARK(BM_ZBar)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kestrova::barcode::bench
