// Feeds arbitrary bitmaps and reader settings to the barcode reader. The first 16 bytes choose the
// settings, the next four the bitmap's width and the depth; the rest are the pixel rows.
#include "barcode/PageBitmap.h"
#include "barcode/QVCodabar.h"

#include <algorithm>
#include <cstring>

using namespace kestrova::barcode;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    if (size < 20) return 0;
    QVCodabar reader;
    std::uint32_t flags = 0;
    std::memcpy(&flags, data + 12, 4);
    InitBarcodeReader(reader, data[0], data[1], data[2], data[3], data[4], data[5], data[6], data[7], data[8], data[9],
                      data[10], flags);
    const int width = 1 + ((data[16] | (data[17] << 8)) % 4000);
    const int depth = static_cast<signed char>(data[18]);
    const int bitsPerPixel = data[19] % 3 == 0 ? 8 : 1;
    data += 20;
    size -= 20;

    PageBitmap page;
    page.width = width;
    page.bytesPerRow = PageBitmap::strideFor(width);
    page.height = static_cast<int>(std::min<size_t>(size / page.bytesPerRow, 6000));
    page.bits.assign(data, data + static_cast<size_t>(page.height) * page.bytesPerRow);
    ReadBarcodes(reader, &page, depth, bitsPerPixel);
    BarcodeResultsText(reader);
    for (int slot = 1; slot <= 6; ++slot) BarcodeResultField(reader, 1, slot, 0);
    BarcodeCount(reader);
    return 0;
}
