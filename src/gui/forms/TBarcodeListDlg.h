#pragma once

#include <QDialog>

namespace kestrova {

class Station;

// The list of barcodes read in the last batch, for naming problem pages.
class TBarcodeListDlg : public QDialog {
    Q_OBJECT
public:
    explicit TBarcodeListDlg(Station& station, QWidget* parent = nullptr);

protected:
    Station& m_station;
};

} // namespace kestrova
