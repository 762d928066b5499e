#pragma once

#include "core/ports/Scanner.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;

namespace kestrova {

// "Set Interface": the scanners found, the current one selected, and the last problem the
// scanner reported shown above the list.
class ScannerChoiceDialog : public QDialog {
    Q_OBJECT
public:
    ScannerChoiceDialog(const QList<ScannerDeviceInfo>& devices, const QString& current, const QString& lastProblem,
                        QWidget* parent = nullptr);
    QString chosen() const;

    QListWidget* DeviceList = nullptr;
    QLabel* ProblemLabel = nullptr;
};

// The scanner's settings before "Set Size and Scan": one choice per setting the device offers.
class ScannerSettingsDialog : public QDialog {
    Q_OBJECT
public:
    ScannerSettingsDialog(const QString& device, const QList<ScannerSetting>& settings, QWidget* parent = nullptr);
    // The settings with the operator's choices.
    QList<ScannerSetting> chosen() const;

private:
    QList<ScannerSetting> m_settings;
    QList<QComboBox*> m_boxes;
};

// The dialogs a scanner shows, as modal widgets over parent.
ScannerDialogs WidgetScannerDialogs(QWidget* parent);

} // namespace kestrova
