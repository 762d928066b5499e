#include "barcode/QVCodabar.h"
#include "barcode/RowSearch.h"
#include "barcode/RunRow.h"
#include "barcode/TextFields.h"

namespace kestrova::barcode {

namespace {

bool HasReadableHeader(const PageBitmap& page) {
    if (page.width <= 0 || page.height <= 0) return false;
    if (page.bytesPerRow < PageBitmap::strideFor(page.width)) return false;
    return page.bits.size() >= static_cast<std::size_t>(page.bytesPerRow) * static_cast<std::size_t>(page.height);
}

// Page measurements and the ink test of the rows read, in the order rows are read.
class PageMeasure {
public:
    explicit PageMeasure(QVCodabar& reader) : m_reader(reader) {}

    // Returns true when the row is inked (and so wants the symbology search).
    bool row(int row, std::int64_t ink, const RunRow& runs, int stride) {
        QVCodabar& r = m_reader;
        if (ink <= r.InkThreshold) {
            if (r.ContentStartRow < 0) r.ContentStartRow = 1;
            return false;
        }
        if (r.ContentStartRow < 0 && ++m_inkedInFirstBlock > 5) r.ContentStartRow = r.FirstInkedRow + 2;
        if (r.FirstInkedRow == -1) {
            r.FirstInkedRow = row;
            r.ContentStartRow = -row;
        }
        if (r.ContentStartRow == 1) r.ContentStartRow = row;
        if (r.RightMargin > runs.lastLength())
            r.RightMargin = stride % 8 == 0 ? runs.lastLength() : runs.previousLength();
        return true;
    }

private:
    QVCodabar& m_reader;
    int m_inkedInFirstBlock = 0;
};

} // namespace

std::string ReadBarcodes(QVCodabar& reader, const PageBitmap* page, int depth, int bitsPerPixel) {
    if (reader.InitMarker != "InitOK") return "0:Init not called";
    if (!page) return {};
    reader.FirstInkedRow = -1;
    reader.ContentStartRow = 0;
    ClearBarcodeResults(reader);
    // A page of another depth has no 1-bit view to check; a depth of 0 or less means the image
    // has no readable header.
    if (bitsPerPixel <= 0) return "0:No Image defined";
    if (bitsPerPixel != 1) return "0:Not a monochrome Image";
    if (!HasReadableHeader(*page)) return "0:No Image defined";

    const int height = page->height;
    const int stride = PageBitmap::strideFor(page->width);
    reader.LeftMargin = stride * 8;
    reader.RightMargin = stride * 8;

    // The top `depth` percent of the page: storage rows first..height (1 is the bottom row). A
    // depth above 100 reads the whole page rather than rows before the bitmap.
    const int percent = depth > 100 ? 100 : depth;
    const int first = percent <= 0 ? height + 1 : static_cast<int>((std::int64_t{100 - percent} * height) / 100) + 1;

    RunRow runs(reader);
    RowSearch search(reader);
    PageMeasure measure(reader);
    for (int row = first; row <= height && !search.finished(); ++row) {
        const std::int64_t ink = runs.scan(page->row(row - 1), stride, reader);
        if (measure.row(row, ink, runs, stride)) search.searchRow(row);
    }

    const int found = search.pageCount();
    if (found == 0) return "No barcode found";
    return std::to_string(found) + " barcodes found : " + detail::RemoveChars(BarcodeResultsText(reader), "\r\n");
}

} // namespace kestrova::barcode
