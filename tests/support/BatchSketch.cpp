#include "support/BatchSketch.h"

#include "barcode/Code128.h"
#include "barcode/QVCodabar.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <cctype>
#include <cmath>
#include <random>

namespace kestrova::decodetest {

std::vector<int> ZintModules(const QString& symbology, const QString& data) {
    QProcess zint;
    zint.start(QStringLiteral("zint"), {QStringLiteral("--dump"), QStringLiteral("-b"), symbology,
                                        QStringLiteral("--notext"), QStringLiteral("-d"), data});
    if (!zint.waitForFinished(30000) || zint.exitCode() != 0) return {};
    // Hexadecimal digits of the first row, four modules each, a set bit a bar.
    QString dump = QString::fromLatin1(zint.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0);
    dump.remove(QRegularExpression(QStringLiteral("\\s")));
    QString bits;
    for (const QChar digit : dump)
        bits += QStringLiteral("%1").arg(QString(digit).toUInt(nullptr, 16), 4, 2, QLatin1Char('0'));
    while (bits.endsWith(QLatin1Char('0'))) bits.chop(1);
    std::vector<int> widths;
    for (qsizetype i = 0; i < bits.size();) {
        qsizetype j = i;
        while (j < bits.size() && bits[j] == bits[i]) ++j;
        widths.push_back(static_cast<int>(j - i));
        i = j;
    }
    return widths;
}

PageSketch::PageSketch(int dpi, double widthMm, double heightMm) : m_dpi(dpi) {
    m_page.width = px(widthMm);
    m_page.height = px(heightMm);
    m_page.bytesPerRow = barcode::PageBitmap::strideFor(m_page.width);
    m_page.bits.assign(static_cast<std::size_t>(m_page.bytesPerRow) * m_page.height, 0xFF);
}

int PageSketch::px(double mm) const {
    return static_cast<int>(std::lround(mm / 25.4 * m_dpi));
}

void PageSketch::fill(int x, int y, int w, int h) {
    for (int row = std::max(0, y); row < std::min(m_page.height, y + h); ++row) {
        std::uint8_t* bits = m_page.row(m_page.height - 1 - row);
        for (int col = std::max(0, x); col < std::min(m_page.width, x + w); ++col)
            bits[col / 8] = static_cast<std::uint8_t>(bits[col / 8] & ~(0x80 >> (col % 8)));
    }
}

PageSketch& PageSketch::symbol(const QString& symbology, const QString& data, double xMm, double yMm, int narrow,
                               int wide, double heightMm) {
    const bool modular = symbology == QLatin1String("CODE128");
    int x = px(xMm);
    bool bar = true;
    for (const int modules : ZintModules(symbology, data)) {
        const int w = modular ? modules * narrow : (modules == 1 ? narrow : wide);
        if (bar) fill(x, px(yMm), w, px(heightMm));
        x += w;
        bar = !bar;
    }
    return *this;
}

PageSketch& PageSketch::code128Digits(const QString& digits, double xMm, double yMm, int module, double heightMm) {
    constexpr int StartC = 105, Stop = 106;
    std::vector<int> values{StartC};
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2) values.push_back(digits.mid(i, 2).toInt());
    int check = StartC;
    for (std::size_t i = 1; i < values.size(); ++i) check += static_cast<int>(i) * values[i];
    values.push_back(check % 103);
    values.push_back(Stop);
    int x = px(xMm);
    const auto element = [&](int modules, bool bar) {
        if (bar) fill(x, px(yMm), modules * module, px(heightMm));
        x += modules * module;
    };
    for (const int value : values) {
        // Letters b, B, c, C are bars of 1 to 4 modules, s, S, t, T spaces.
        for (const char letter : barcode::Code128Pattern(value)) {
            const int lower = std::tolower(static_cast<unsigned char>(letter));
            const int modules = (lower == 'b' || lower == 's' ? 1 : 3) + (letter == lower ? 0 : 1);
            element(modules, lower == 'b' || lower == 'c');
        }
    }
    element(2, true); // the stop's final bar
    return *this;
}

PageSketch& PageSketch::text(double topMm, double bottomMm, unsigned seed) {
    // Strokes stand further apart than the widest element a reader takes (15 pixels), and the bars
    // across are longer, so that no row of print looks like a symbol.
    std::mt19937 random(seed);
    const int lineHeight = px(5.0), letterHeight = px(3.0);
    const int left = px(20.0), right = m_page.width - px(20.0);
    for (int y = px(topMm); y + letterHeight <= px(bottomMm); y += lineHeight) {
        int x = left + static_cast<int>(random() % 40);
        const int end = right - static_cast<int>(random() % (m_page.width / 3));
        while (x < end) {
            const int letters = 2 + static_cast<int>(random() % 8);
            for (int i = 0; i < letters && x < end; ++i) {
                // A letter: two or three strokes of varying height and a bar across.
                const int strokes = 2 + static_cast<int>(random() % 2);
                for (int s = 0; s < strokes; ++s) {
                    const int drop = static_cast<int>(random() % (letterHeight / 3));
                    fill(x + s * 18, y + drop, 2 + static_cast<int>(random() % 3), letterHeight - drop);
                }
                fill(x, y + static_cast<int>(random() % (letterHeight - 3)), (strokes - 1) * 18 + 2, 3);
                x += strokes * 18 + 18;
            }
            x += 30;
        }
    }
    return *this;
}

PageSketch& PageSketch::turned(int degrees) {
    m_turn = degrees;
    return *this;
}

std::unique_ptr<PageImage> PageSketch::image(const ImageCodec& codec) const {
    Result<std::unique_ptr<PageImage>> made = codec.fromPageBitmap(m_page, m_dpi, m_dpi);
    if (!made || !made.value()) return nullptr;
    if (m_turn != 0 && !made.value()->turn(m_turn)) return nullptr;
    return std::move(made.value());
}

QString WriteBatch(const QString& path, const std::vector<PageSketch>& pages, const ImageCodec& codec) {
    QFile::remove(path);
    for (const PageSketch& sketch : pages) {
        const std::unique_ptr<PageImage> page = sketch.image(codec);
        if (!page) return QStringLiteral("a page could not be made");
        const Status saved = page->saveTiff(path, TiffCompression::CcittG4, TiffSaveMode::Append);
        if (!saved) return saved.error();
    }
    return {};
}

SavedPage InspectPage(const QString& path, const ImageCodec& codec, int page) {
    SavedPage out;
    const Result<ImageFileInfo> info = codec.fileInfo(path, page);
    Result<LoadedPage> loaded = codec.loadPage(path, page, 1);
    barcode::PageBitmap bits;
    if (!info || !loaded || !loaded.value().image || !loaded.value().image->toPageBitmap(bits)) return out;
    out.loaded = true;
    out.width = info.value().width;
    out.height = info.value().height;
    out.xDpi = info.value().xResolution;
    out.yDpi = info.value().yResolution;
    out.pages = info.value().pageCount;
    out.compression = info.value().compressionName;
    for (int y = 0; y < bits.height; ++y) {
        const std::uint8_t* row = bits.row(bits.height - 1 - y);
        for (int x = 0; x < bits.width; ++x) {
            if (row[x / 8] & (0x80 >> (x % 8))) continue;
            if (out.inkTop < 0) out.inkTop = y;
            out.inkBottom = y;
            if (out.inkLeft < 0 || x < out.inkLeft) out.inkLeft = x;
            out.inkRight = std::max(out.inkRight, x);
        }
    }
    barcode::QVCodabar reader;
    barcode::InitBarcodeReader(reader, 2, 4, 5, 8, 9, 11, 12, 15, 2, 20, 250,
                               barcode::FlagCodabar | barcode::FlagCode39 | barcode::FlagCode128 |
                                   barcode::FlagCodabarStartA | barcode::FlagCodabarStartB |
                                   barcode::FlagCodabarStartC | barcode::FlagCodabarStartD);
    barcode::ReadBarcodes(reader, &bits, 100, 1);
    for (int slot = 1; slot <= 6; ++slot) out.barcodes += QString::fromStdString(reader.Results[std::size_t(slot)]);
    return out;
}

} // namespace kestrova::decodetest
