#pragma once

#include "barcode/PageBitmap.h"
#include "platform/leptonica/LeptonicaPix.h"

namespace kestrova::leptonica {

// Leptonica keeps a 1-bit image top row first in native-endian 32-bit words, the most significant
// bit of a word the leftmost pixel and a set bit black. The reader's view is bottom row first in
// bytes, the most significant bit of a byte the leftmost pixel, a set bit white, padding clear.

// pix must be 1 bit deep without a colour map. out's storage is reused.
void PixToPageBitmap(PIX* pix, barcode::PageBitmap& out);

// A 1-bit pix from the reader's view; null when the bitmap's sizes do not match its storage.
PixPtr PageBitmapToPix(const barcode::PageBitmap& bitmap);

} // namespace kestrova::leptonica
