#include "gui/forms/TBarcodeListDlg.h"

#include "core/station/Station.h"

namespace kestrova {

TBarcodeListDlg::TBarcodeListDlg(Station& station, QWidget* parent) : QDialog(parent), m_station(station) {
    setObjectName(QStringLiteral("BarcodeListDlg"));
    setWindowTitle(QStringLiteral("Barcode List"));
}

} // namespace kestrova
