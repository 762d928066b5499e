#pragma once

#include "core/scan/BarcodeList.h"

#include <QDialog>
#include <memory>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace kestrova {

class Station;

// The list of barcodes a problem page may be filed under, for the operator to edit. The list
// itself lives in BarcodeList; the dialog shows it and forwards the buttons.
class TBarcodeListDlg : public QDialog {
    Q_OBJECT
public:
    explicit TBarcodeListDlg(Station& station, QWidget* parent = nullptr);

    // The names the dialog starts from (duplicates dropped), checked against the setup file's
    // length bounds as they stand now.
    void setEditedBarcodes(const QStringList& names);
    QStringList EditedBarcodes() const;

    void FormShow();
    void AddButtonClick();
    void RemoveButtonClick();
    void BCodeListClick();

    QLineEdit* BCodeEdit = nullptr;
    QListWidget* BCodeList = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    BarcodeList& list();
    void refill(int selected);

    Station& m_station;
    std::unique_ptr<BarcodeList> m_list;
};

} // namespace kestrova
