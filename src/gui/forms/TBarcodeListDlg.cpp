#include "gui/forms/TBarcodeListDlg.h"

#include "core/station/Station.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace kestrova {

namespace {

QPushButton* Button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    // Enter in the edit adds an entry; it must not close the dialog through a default button.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

} // namespace

TBarcodeListDlg::TBarcodeListDlg(Station& station, QWidget* parent) : QDialog(parent), m_station(station) {
    setObjectName(QStringLiteral("BarcodeListDlg"));
    setWindowTitle(QStringLiteral("Barcodes"));
    BCodeEdit = new QLineEdit(this);
    BCodeEdit->setObjectName(QStringLiteral("BCodeEdit"));
    BCodeList = new QListWidget(this);
    BCodeList->setObjectName(QStringLiteral("BCodeList"));
    AddButton = Button(this, "AddButton", QStringLiteral("&Add"));
    RemoveButton = Button(this, "RemoveButton", QStringLiteral("&Remove"));
    OKBtn = Button(this, "OKBtn", QStringLiteral("&OK"));
    CancelBtn = Button(this, "CancelBtn", QStringLiteral("&Cancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(BCodeEdit, 0, 0);
    grid->addWidget(AddButton, 0, 1);
    grid->addWidget(BCodeList, 1, 0, 4, 1);
    grid->addWidget(RemoveButton, 1, 1);
    grid->addWidget(OKBtn, 3, 1);
    grid->addWidget(CancelBtn, 4, 1);
    grid->setRowStretch(2, 1);

    connect(AddButton, &QPushButton::clicked, this, &TBarcodeListDlg::AddButtonClick);
    connect(BCodeEdit, &QLineEdit::returnPressed, this, &TBarcodeListDlg::AddButtonClick);
    connect(RemoveButton, &QPushButton::clicked, this, &TBarcodeListDlg::RemoveButtonClick);
    connect(BCodeList, &QListWidget::itemClicked, this, &TBarcodeListDlg::BCodeListClick);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

BarcodeList& TBarcodeListDlg::list() {
    if (!m_list) setEditedBarcodes({});
    return *m_list;
}

void TBarcodeListDlg::setEditedBarcodes(const QStringList& names) {
    m_list = std::make_unique<BarcodeList>(m_station.prompter(), m_station.setup().SetupInfo.DigitsFrom,
                                           m_station.setup().SetupInfo.DigitsTo);
    m_list->setEditedBarcodes(names);
}

QStringList TBarcodeListDlg::EditedBarcodes() const {
    return m_list ? m_list->EditedBarcodes() : QStringList();
}

void TBarcodeListDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TBarcodeListDlg::FormShow() {
    list().show();
    refill(-1);
    BCodeEdit->clear();
    BCodeEdit->setFocus();
}

void TBarcodeListDlg::refill(int selected) {
    BCodeList->clear();
    BCodeList->addItems(list().EditedBarcodes());
    BCodeList->setCurrentRow(selected);
}

void TBarcodeListDlg::AddButtonClick() {
    const QString added = list().add(BCodeEdit->text());
    if (added.isEmpty()) return;
    refill(static_cast<int>(list().EditedBarcodes().indexOf(added)));
    BCodeEdit->setText(added);
}

void TBarcodeListDlg::RemoveButtonClick() {
    refill(list().remove(BCodeList->currentRow()));
}

void TBarcodeListDlg::BCodeListClick() {
    if (QListWidgetItem* item = BCodeList->currentItem()) BCodeEdit->setText(item->text());
}

} // namespace kestrova
