// Our reader beside ZXing-C++, ZBar and the floor on the same G4 TIFF request forms, in one
// process. Every figure starts from the G4 file: the page is decoded by the station's Leptonica
// adapter, then
//   (a) our reader: the reader's bitmap view and ReadBarcodes at the form's search depth (30) and 100;
//   (b) ZXing-C++: 8-bit grey, then Codabar, Code 39, ITF and Code 128, no rotation, one symbol;
//   (c) ZBar: 8-bit grey, then the same four symbologies over the whole page;
//   (d) the floor: one pass over every pixel row of the decoded page, counting its runs.
// The detection rate is the share of pages whose one symbol is read with the right text (and, for
// our reader, nothing else). A table of median CPU times closes the output.
// Run: barcode_compare_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
//      --benchmark_report_aggregates_only=true
#include "bench_summary.h"
#include "g4_corpus.h"

#include "platform/leptonica/LeptonicaPageImage.h"

// zbar.h first: ZXing-C++ defines a macro that clashes with a name in ZBar's C++ wrappers.
#include <zbar.h>

#include <ZXing/ReadBarcode.h>

namespace kestrova::barcode::bench {
namespace {

PIX* PixOf(const LoadedPage& page) {
    return static_cast<const LeptonicaPageImage*>(page.image.get())->pix();
}

// Times `read` over the pages in turn; the detection rate comes from one untimed pass per
// benchmark and resolution (`read` returns whether the page was read correctly).
template <typename Read> void RunPages(benchmark::State& state, const std::string& reader, bool counted, Read read) {
    const auto& pages = G4Corpus(static_cast<int>(state.range(0)));
    static std::map<std::string, int> detected;
    const std::string key = reader + "/" + std::to_string(state.range(0));
    if (counted && !detected.count(key)) {
        int n = 0;
        for (const G4Page& page : pages) n += read(page) ? 1 : 0;
        detected[key] = n;
    }
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(read(pages[i++ % pages.size()]));
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    if (counted) {
        state.counters["detected"] = detected[key];
        state.counters["pages"] = static_cast<double>(pages.size());
    }
}

// range(0): dots per inch; range(1): search depth in percent.
void BM_OurReader(benchmark::State& state) {
    LeptonicaImageCodec codec;
    QVCodabar reader = FormReader(static_cast<int>(state.range(0)));
    const int depth = static_cast<int>(state.range(1));
    PageBitmap bitmap;
    RunPages(state, "ours/" + std::to_string(depth), true, [&](const G4Page& page) {
        const auto loaded = codec.loadPage(page.path, 0, 1);
        if (!loaded || !loaded.value().image->toPageBitmap(bitmap)) return false;
        ReadBarcodes(reader, &bitmap, depth);
        return BarcodeCount(reader) == 1 && reader.Results[SlotCode39] == page.text + ":";
    });
}

// One symbol: Debian's ZXing-C++ 1.4 stops on an internal assertion (Result::operator==, in
// debug builds of the library) when it looks for more than one on these pages.
void BM_ZXing(benchmark::State& state) {
    LeptonicaImageCodec codec;
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::Codabar | ZXing::BarcodeFormat::Code39 | ZXing::BarcodeFormat::ITF |
                     ZXing::BarcodeFormat::Code128);
    hints.setTryHarder(true);
    hints.setTryRotate(false);
    hints.setMaxNumberOfSymbols(1);
    GreyPage grey;
    const auto wide = [](const std::string& s) { return std::wstring(s.begin(), s.end()); };
    RunPages(state, "zxing", true, [&](const G4Page& page) {
        const auto loaded = codec.loadPage(page.path, 0, 1);
        if (!loaded) return false;
        PixToGrey(PixOf(loaded.value()), grey);
        const auto results = ZXing::ReadBarcodes(
            ZXing::ImageView(grey.pixels.data(), grey.width, grey.height, ZXing::ImageFormat::Lum), hints);
        return results.size() == 1 && results.front().text() == wide(page.text);
    });
}

void BM_ZBar(benchmark::State& state) {
    LeptonicaImageCodec codec;
    zbar::zbar_image_scanner_t* scanner = zbar::zbar_image_scanner_create();
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    for (zbar::zbar_symbol_type_t sym : {zbar::ZBAR_CODABAR, zbar::ZBAR_CODE39, zbar::ZBAR_I25, zbar::ZBAR_CODE128})
        zbar::zbar_image_scanner_set_config(scanner, sym, zbar::ZBAR_CFG_ENABLE, 1);
    GreyPage grey;
    RunPages(state, "zbar", true, [&](const G4Page& page) {
        const auto loaded = codec.loadPage(page.path, 0, 1);
        if (!loaded) return false;
        PixToGrey(PixOf(loaded.value()), grey);
        zbar::zbar_image_t* image = zbar::zbar_image_create();
        zbar::zbar_image_set_format(image, zbar_fourcc('Y', '8', '0', '0'));
        zbar::zbar_image_set_size(image, static_cast<unsigned>(grey.width), static_cast<unsigned>(grey.height));
        zbar::zbar_image_set_data(image, grey.pixels.data(), grey.pixels.size(), nullptr);
        const int found = zbar::zbar_scan_image(scanner, image);
        const zbar::zbar_symbol_t* symbol = zbar::zbar_image_first_symbol(image);
        const bool right = found == 1 && symbol && page.text == zbar::zbar_symbol_get_data(symbol);
        zbar::zbar_image_destroy(image);
        return right;
    });
    zbar::zbar_image_scanner_destroy(scanner);
}

void BM_Floor(benchmark::State& state) {
    LeptonicaImageCodec codec;
    RunPages(state, "", false, [&](const G4Page& page) {
        const auto loaded = codec.loadPage(page.path, 0, 1);
        return loaded && CountRuns(PixOf(loaded.value())) > 0;
    });
}

// Parts of the figures above: the decode alone, with the reader's view, with 8-bit grey.
void BM_G4Decode(benchmark::State& state) {
    LeptonicaImageCodec codec;
    RunPages(state, "", false, [&](const G4Page& page) { return bool(codec.loadPage(page.path, 0, 1)); });
}

// Leptonica's own TIFF reader without the adapter's header checks.
void BM_G4DecodeLeptonica(benchmark::State& state) {
    RunPages(state, "", false, [&](const G4Page& page) {
        leptonica::PixPtr pix(pixReadTiff(QFile::encodeName(page.path).constData(), 0));
        return pix != nullptr;
    });
}

void BM_G4DecodeView(benchmark::State& state) {
    LeptonicaImageCodec codec;
    PageBitmap bitmap;
    RunPages(state, "", false, [&](const G4Page& page) {
        const auto loaded = codec.loadPage(page.path, 0, 1);
        return loaded && loaded.value().image->toPageBitmap(bitmap);
    });
}

void BM_G4DecodeGrey(benchmark::State& state) {
    LeptonicaImageCodec codec;
    GreyPage grey;
    RunPages(state, "", false, [&](const G4Page& page) {
        const auto loaded = codec.loadPage(page.path, 0, 1);
        if (loaded) PixToGrey(PixOf(loaded.value()), grey);
        return bool(loaded);
    });
}

BENCHMARK(BM_OurReader)
    ->Args({200, 30})
    ->Args({200, 100})
    ->Args({300, 30})
    ->Args({300, 100})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZXing)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZBar)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G4Decode)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G4DecodeLeptonica)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G4DecodeView)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G4DecodeGrey)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);

void PrintTable(const SummaryReporter::Table& table) {
    const struct {
        const char* label;
        std::string name;
    } rows[] = {{"(a) our reader, depth 30", "BM_OurReader/%d/30"},
                {"(a) our reader, depth 100", "BM_OurReader/%d/100"},
                {"(b) ZXing-C++", "BM_ZXing/%d"},
                {"(c) ZBar", "BM_ZBar/%d"},
                {"(d) floor: decode + run count", "BM_Floor/%d"},
                {"    G4 decode alone", "BM_G4Decode/%d"},
                {"    G4 decode, pixReadTiff only", "BM_G4DecodeLeptonica/%d"},
                {"    G4 decode + reader view", "BM_G4DecodeView/%d"},
                {"    G4 decode + 8-bit grey", "BM_G4DecodeGrey/%d"}};
    const auto find = [&](const std::string& pattern, int dpi) -> const Figures* {
        char name[64];
        std::snprintf(name, sizeof name, pattern.c_str(), dpi);
        const auto it = table.find(name);
        return it == table.end() ? nullptr : &it->second;
    };
    std::printf("\nPer page, median CPU time, G4 file to result (load average %s)\n", LoadAverage().c_str());
    std::printf("%-31s %27s   %27s\n", "", "200 dpi", "300 dpi");
    std::printf("%-31s %8s %8s %9s   %8s %8s %9s\n", "", "ms", "pages/s", "detected", "ms", "pages/s", "detected");
    for (const auto& row : rows) {
        std::printf("%-31s", row.label);
        for (int dpi : {200, 300}) {
            const Figures* f = find(row.name, dpi);
            if (!f) {
                std::printf(" %8s %8s %9s  ", "-", "-", "");
                continue;
            }
            char detected[16] = "";
            if (f->detected >= 0) std::snprintf(detected, sizeof detected, "%.0f/%.0f", f->detected, f->pages);
            std::printf(" %8.2f %8.0f %9s  ", f->ms, 1000.0 / f->ms, detected);
        }
        std::printf("\n");
    }
    for (int dpi : {200, 300}) {
        const Figures* ours = find("BM_OurReader/%d/100", dpi);
        const Figures* zxing = find("BM_ZXing/%d", dpi);
        const Figures* floor = find("BM_Floor/%d", dpi);
        if (!ours || !zxing || !floor) continue;
        std::printf(
            "%d dpi: our reader at depth 100 / ZXing-C++ = %.2f (target <= 0.5), / floor = %.2f (target <= 2)\n", dpi,
            ours->ms / zxing->ms, ours->ms / floor->ms);
    }
}

} // namespace
} // namespace kestrova::barcode::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    kestrova::barcode::bench::SummaryReporter reporter(kestrova::barcode::bench::PrintTable);
    std::printf("Load average at the start: %s\n", kestrova::barcode::bench::LoadAverage().c_str());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
