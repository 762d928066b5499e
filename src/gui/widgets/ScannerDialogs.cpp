#include "gui/widgets/ScannerDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QVBoxLayout>

namespace kestrova {

namespace {

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

ScannerChoiceDialog::ScannerChoiceDialog(const QList<ScannerDeviceInfo>& devices, const QString& current,
                                         const QString& lastProblem, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ScannerChoiceDialog"));
    setWindowTitle(QStringLiteral("Set Interface"));
    auto* layout = new QVBoxLayout(this);
    ProblemLabel =
        new QLabel(lastProblem.isEmpty() ? QString() : QStringLiteral("The scanner reported: ") + lastProblem, this);
    ProblemLabel->setObjectName(QStringLiteral("ProblemLabel"));
    ProblemLabel->setWordWrap(true);
    ProblemLabel->setVisible(!lastProblem.isEmpty());
    layout->addWidget(ProblemLabel);
    layout->addWidget(new QLabel(QStringLiteral("Scan with:"), this));
    DeviceList = new QListWidget(this);
    DeviceList->setObjectName(QStringLiteral("DeviceList"));
    for (const ScannerDeviceInfo& device : devices) {
        auto* item = new QListWidgetItem(device.label(), DeviceList);
        item->setData(Qt::UserRole, device.name);
        if (device.name == current) DeviceList->setCurrentItem(item);
    }
    if (!DeviceList->currentItem() && DeviceList->count() > 0) DeviceList->setCurrentRow(0);
    connect(DeviceList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(DeviceList);
    layout->addWidget(OkCancel(this));
    resize(420, 260);
}

QString ScannerChoiceDialog::chosen() const {
    const QListWidgetItem* item = DeviceList->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

ScannerSettingsDialog::ScannerSettingsDialog(const QString& device, const QList<ScannerSetting>& settings,
                                             QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setObjectName(QStringLiteral("ScannerSettingsDialog"));
    setWindowTitle(QStringLiteral("Set Size and Scan"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(device, this));
    auto* form = new QFormLayout;
    for (const ScannerSetting& setting : m_settings) {
        auto* box = new QComboBox(this);
        box->setObjectName(setting.name);
        box->addItems(setting.choices);
        if (!setting.choices.contains(setting.value)) box->addItem(setting.value);
        box->setCurrentText(setting.value);
        form->addRow(setting.title, box);
        m_boxes.append(box);
    }
    layout->addLayout(form);
    layout->addWidget(OkCancel(this));
}

QList<ScannerSetting> ScannerSettingsDialog::chosen() const {
    QList<ScannerSetting> result = m_settings;
    for (int i = 0; i < result.size(); ++i) result[i].value = m_boxes[i]->currentText();
    return result;
}

ScannerDialogs WidgetScannerDialogs(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    ScannerDialogs dialogs;
    dialogs.chooseDevice = [owner](const QList<ScannerDeviceInfo>& devices, const QString& current,
                                   const QString& lastProblem) -> std::optional<QString> {
        ScannerChoiceDialog dialog(devices, current, lastProblem, owner);
        if (dialog.exec() != QDialog::Accepted || dialog.chosen().isEmpty()) return std::nullopt;
        return dialog.chosen();
    };
    dialogs.editSettings = [owner](const QString& device, QList<ScannerSetting>& settings) {
        ScannerSettingsDialog dialog(device, settings, owner);
        if (dialog.exec() != QDialog::Accepted) return false;
        settings = dialog.chosen();
        return true;
    };
    return dialogs;
}

} // namespace kestrova
