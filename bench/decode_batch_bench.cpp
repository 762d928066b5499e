// Batch decoding end to end: a 100-page batch of A4 request forms at 300 dpi (G4, one Codabar
// request number in the top third, text-like print over the rest) taken apart by DecodeImages:
// load, read, crop and LZW save of every page. Beside it the floor: the same batch loaded and
// saved as LZW pages without reading. Both report pages per second.

#include "barcode_page.h"
#include "bench_station.h"
#include "core/config/SetupFile.h"
#include "core/config/SetupInfo.h"
#include "core/scan/BarcodeProfiles.h"
#include "core/scan/DecodeImages.h"
#include "core/scan/DecodeJournal.h"
#include "core/scan/SaveRegion.h"
#include "platform/leptonica/LeptonicaImageCodec.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace kestrova;

constexpr int Dpi = 300;
constexpr int BatchPages = 100;

// Element widths in modules (bar first) of a Codabar symbol as the zint command draws it.
std::vector<int> CodabarModules(const std::string& text) {
    return barcode::bench::ZintModules("CODABAR", text);
}

// The mod-10 check digit the reader expects after the digits of a request number.
char CheckDigit(const std::string& digits) {
    int total = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        int v = digits[i] - '0';
        if (i % 2 == 0) v = v * 2 >= 10 ? v * 2 - 9 : v * 2;
        total += v;
    }
    return static_cast<char>('0' + (10 - total % 10) % 10);
}

class FormPage {
public:
    FormPage() {
        m_page.width = Dpi * 827 / 100;
        m_page.height = Dpi * 1169 / 100;
        m_page.bytesPerRow = barcode::PageBitmap::strideFor(m_page.width);
        m_page.bits.assign(static_cast<std::size_t>(m_page.bytesPerRow) * m_page.height, 0xFF);
    }

    void fill(int x0, int y0, int w, int h) {
        for (int y = y0; y < y0 + h && y < m_page.height; ++y) {
            std::uint8_t* row = m_page.row(m_page.height - 1 - y);
            for (int x = x0; x < x0 + w && x < m_page.width; ++x)
                row[x / 8] = static_cast<std::uint8_t>(row[x / 8] & ~(0x80 >> (x % 8)));
        }
    }

    // Codabar with narrow elements of 4 pixels (0.34 mm) and wide ones of 10.
    void codabar(const std::string& text, int x, int y, int h) {
        bool bar = true;
        for (int m : CodabarModules(text)) {
            const int w = m == 1 ? 4 : 10;
            if (bar) fill(x, y, w, h);
            x += w;
            bar = !bar;
        }
    }

    // Lines of letters 3 mm high, strokes of 4 pixels, words of 2 to 9 letters.
    void text(int top, int bottom, unsigned seed) {
        std::mt19937 random(seed);
        const int size = Dpi / 8, stroke = 4, pitch = size / 4 + stroke, margin = m_page.width / 12;
        for (int y = top; y + size < bottom; y += size * 7 / 4) {
            const int end = m_page.width - margin - static_cast<int>(random() % (m_page.width / 3));
            for (int x = margin; x < end; x += size / 2) {
                const int letters = 2 + static_cast<int>(random() % 8);
                for (int i = 0; i < letters && x < end; ++i) {
                    const int strokes = 2 + static_cast<int>(random() % 2);
                    for (int s = 0; s < strokes; ++s) fill(x + s * pitch, y, stroke, size);
                    fill(x, y + static_cast<int>(random() % (size - stroke)), strokes * pitch, stroke);
                    x += strokes * pitch + pitch;
                }
            }
        }
    }

    const barcode::PageBitmap& bitmap() const { return m_page; }

private:
    barcode::PageBitmap m_page;
};

// A request form: title lines, the request number an inch from the top, the body of the form.
FormPage RequestForm(unsigned seed) {
    FormPage page;
    page.text(Dpi / 3, Dpi * 4 / 5, seed);
    const std::string digits = std::to_string(20260000 + seed);
    page.codabar("A" + digits + CheckDigit(digits) + "A", Dpi * 4, Dpi, Dpi / 2);
    page.text(Dpi * 2, page.bitmap().height - Dpi / 2, seed + 1000);
    return page;
}

// Beside bench::StationOptions: crops kept, and two documents with their folders.
const char* const DecodeOptions[] = {"19|Image Sizes|100:100:3|", "24|Colour Depth|1|", "25|Image per Barcode|no|",
                                     "200|Document|Request Form:REQ:2928:30:lab-requests|",
                                     "201|Document|Histology Form:HIST:2069:40:histology|"};

// A station in a temporary directory with the batch in its image-set file, made once.
struct Batch : bench::BenchStation {
    Batch() : BenchStation({"scan", "problems", "decoded", "store", "local", "backup"}) {
        const QByteArray setup = bench::StationSetupText("decode benchmark", dir.path(), DecodeOptions, true);
        if (ReadSetupBytes(station, setup) != SetupOutcome::Ok) return;
        LoadDefaultBarcodeType(station);
        imageSet = dir.path() + QStringLiteral("/scan/qvimageset.tif");
        for (unsigned p = 0; p < BatchPages; ++p) {
            auto page = codec.fromPageBitmap(RequestForm(p).bitmap(), Dpi, Dpi);
            if (!page || !page.value()->saveTiff(imageSet, TiffCompression::CcittG4, TiffSaveMode::Append)) return;
        }
        ready = true;
    }

    QString decodedDir() const { return station.setup().SetupInfo.Directories[SlotDecoded]; }

    void clearOutput() const {
        for (int slot : {SlotDecoded, SlotProblems}) {
            QDir d(station.setup().SetupInfo.Directories[slot]);
            for (const QString& f : d.entryList(QDir::Files)) d.remove(f);
        }
        // Without its progress file the batch counts as never decoded, so each run decodes it all.
        QFile::remove(DecodeJournal::pathFor(imageSet));
    }

    LeptonicaImageCodec codec;
    QString imageSet;
    bool ready = false;
};

Batch& TheBatch() {
    static Batch batch;
    return batch;
}

void Report(benchmark::State& state) {
    state.counters["pages/s"] =
        benchmark::Counter(double(state.iterations()) * BatchPages, benchmark::Counter::kIsRate);
}

void BM_DecodeBatch(benchmark::State& state) {
    Batch& b = TheBatch();
    if (!b.ready) return state.SkipWithError("the batch could not be made");
    for (auto _ : state) {
        state.PauseTiming();
        b.clearOutput();
        b.station.eventLog().clear();
        state.ResumeTiming();
        DecodeImages(b.station, b.codec, b.imageSet);
    }
    const int decoded = static_cast<int>(QDir(b.decodedDir()).entryList(QDir::Files).size());
    if (decoded != BatchPages) {
        const QString first = b.station.eventLog().lines().value(0);
        state.SkipWithError(
            qPrintable(QStringLiteral("%1 of %2 pages decoded; %3").arg(decoded).arg(BatchPages).arg(first)));
    }
    Report(state);
}

// The floor: every page of the batch loaded and written as an LZW page, nothing read.
void BM_LoadAndSaveFloor(benchmark::State& state) {
    Batch& b = TheBatch();
    if (!b.ready) return state.SkipWithError("the batch could not be made");
    for (auto _ : state) {
        state.PauseTiming();
        b.clearOutput();
        state.ResumeTiming();
        for (int p = 0; p < BatchPages; ++p) {
            Result<LoadedPage> loaded = b.codec.loadPage(b.imageSet, p, 1);
            if (!loaded) return state.SkipWithError(qPrintable(loaded.error()));
            const PageImage* page = loaded.value().image.get();
            const QString path = b.decodedDir() + QStringLiteral("page%1.tif").arg(p);
            if (SaveRegionAsTiff(page, path, 0, page->width(), page->height(), 0, 1, 0, 0) != RegionSaved)
                return state.SkipWithError("a page could not be saved");
        }
    }
    Report(state);
}

BENCHMARK(BM_DecodeBatch)->Unit(benchmark::kMillisecond)->MinTime(5.0);
BENCHMARK(BM_LoadAndSaveFloor)->Unit(benchmark::kMillisecond)->MinTime(5.0);

} // namespace
