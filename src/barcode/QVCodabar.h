#pragma once

#include "barcode/PageBitmap.h"
#include "barcode/TBcodeExtra.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace kestrova::barcode {

// Bits of the flags word the reader acts on (the rest are carried for batch decoding).
inline constexpr std::uint32_t FlagStopAfterFirst = 0x00000001;
inline constexpr std::uint32_t FlagPunctuationNotValid = 0x00000002;
inline constexpr std::uint32_t FlagCodabarStartA = 0x00000004;
inline constexpr std::uint32_t FlagCodabarStartB = 0x00000008;
inline constexpr std::uint32_t FlagCodabarStartC = 0x00000010;
inline constexpr std::uint32_t FlagCodabarStartD = 0x00000020;
inline constexpr std::uint32_t FlagCode25DropLeading0 = 0x00001000;
inline constexpr std::uint32_t FlagCode25CheckDigit = 0x00002000;
inline constexpr std::uint32_t FlagCode39CheckDigit = 0x00008000;
inline constexpr std::uint32_t FlagCodabarCheckDigit = 0x00020000;
inline constexpr std::uint32_t FlagAutomaticallyInvert = 0x00040000;
inline constexpr std::uint32_t FlagDeskewRemnant = 0x00080000;
inline constexpr std::uint32_t FlagBackgroundIsWhite = 0x02000000;
inline constexpr std::uint32_t FlagCode128 = 0x10000000;
inline constexpr std::uint32_t FlagCode25 = 0x20000000;
inline constexpr std::uint32_t FlagCode39 = 0x40000000;
inline constexpr std::uint32_t FlagCodabar = 0x80000000;

// Symbology slots 1..ReaderSlotCount: slot s is enabled by bit 2^(25 + s); slots 1 and 2 hold no
// symbology. A reader records its barcodes per slot; reason files hold one line per slot.
inline constexpr int ReaderSlotCount = 6;
inline constexpr int SlotCode128 = 3;
inline constexpr int SlotCode25 = 4;
inline constexpr int SlotCode39 = 5;
inline constexpr int SlotCodabar = 6;
inline constexpr std::uint32_t SlotBit(int slot) {
    return std::uint32_t{1} << (25 + slot);
}
inline constexpr std::uint32_t AllSlotBits = 0xFC000000;

// The state of one barcode reader: its configuration, the run strings of the row being read,
// the page measurements and the barcodes recorded by the last read.
struct QVCodabar {
    std::uint8_t DigitsFrom = 0;
    std::uint8_t DigitsTo = 0;
    std::uint8_t NarrowFrom = 0;
    std::uint8_t NarrowTo = 0;
    std::uint8_t WideFrom = 0;
    std::uint8_t WideTo = 0;
    std::uint8_t DoubleFrom = 0;
    std::uint8_t DoubleTo = 0;
    std::uint8_t QuadFrom = 0;
    std::uint8_t QuadTo = 0;
    std::int32_t MinHeightMilli = 0;
    std::string RowRuns;
    std::string RowRunsReversed;
    bool Reversed = false;
    std::uint32_t ActiveFlags = 0;
    std::uint32_t Flags = 0;
    std::string InitMarker;
    std::int32_t FirstInkedRow = -1;
    std::int32_t ContentStartRow = 0;
    std::int32_t LeftMargin = 0;
    std::int32_t RightMargin = 0;
    // Indexed by symbology slot 1..ReaderSlotCount (index 0 unused); each entry is followed by ":".
    std::array<std::string, ReaderSlotCount + 1> Results;
    std::int32_t InkThreshold = 500;
    std::unique_ptr<TBcodeExtra> Extra;
};

// Stores the configuration; true when the parameters were refused (they are stored all the same).
bool InitBarcodeReader(QVCodabar& reader, std::uint8_t narrowFrom, std::uint8_t narrowTo, std::uint8_t wideFrom,
                       std::uint8_t wideTo, std::uint8_t doubleFrom, std::uint8_t doubleTo, std::uint8_t quadFrom,
                       std::uint8_t quadTo, std::uint8_t digitsFrom, std::uint8_t digitsTo,
                       std::int32_t minPageHeightMm, std::uint32_t flags);

// Reads the top `depth` percent of the page (0 reads no row, above 100 reads the whole page).
// `page` is null when the imaging component holds no bitmap. `bitsPerPixel` is the depth of the
// image it holds (0 when its header cannot be read); for a depth other than 1 the bitmap is not
// looked at. An empty or inconsistent 1-bit bitmap counts as one without a readable header.
// Returns the summary text; Results and the page measurements are updated.
std::string ReadBarcodes(QVCodabar& reader, const PageBitmap* page, int depth, int bitsPerPixel = 1);

std::string BarcodeResultsText(const QVCodabar& reader);
std::string BarcodeResultField(const QVCodabar& reader, int entry, int slot, std::uint8_t kind);
int BarcodeCount(const QVCodabar& reader);
void ClearBarcodeResults(QVCodabar& reader);

} // namespace kestrova::barcode
