#pragma once

#include "barcode/QVCodabar.h"
#include "barcode/Symbology.h"

#include <array>
#include <memory>
#include <string>
#include <unordered_map>

namespace kestrova::barcode {

// The symbology search of one ReadBarcodes call: looks for symbols in the run strings of an
// inked row and records a text once it has been read on two rows.
class RowSearch {
public:
    explicit RowSearch(QVCodabar& reader);

    // Searches the reader's current run strings (storage row `row`).
    void searchRow(int row);
    int pageCount() const { return m_pageCount; }
    // True once "Stop Searching After First Barcode" ended the read.
    bool finished() const { return m_finished; }

private:
    struct Reading {
        int count = 0;
        int lastRow = 0;
    };

    void searchSlot(int slot, Symbology& symbology, int row);
    void record(const std::string& v, int slot, int row);

    QVCodabar& m_reader;
    std::array<std::unique_ptr<Symbology>, 7> m_symbologies; // by slot
    std::unordered_map<std::string, Reading> m_readings;
    int m_pageCount = 0;
    bool m_finished = false;
};

} // namespace kestrova::barcode
