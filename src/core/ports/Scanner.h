#pragma once

#include "core/ports/Result.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

namespace kestrova {

// Values of the scan settings, as the station's scan commands have always set them. ScanTo,
// PageOption, FileType and Property11 are codes of the scanner control the station was built
// for. The adapters here read none of them: they read PageCount, Image and ShowSetupBeforeScan
// and always write a multi-page TIFF that replaces the image-set file. The codes are kept so that
// a run can be traced.
inline constexpr int ScanToAfterSetup = 1;      // "Set Size and Scan": the settings are shown first
inline constexpr int ScanToCurrentSettings = 2; // scan at once with the current settings
inline constexpr int MaxBatchPages = 100;       // the most pages one batch may hold
inline constexpr int PageOptionReplaceAll = 6;  // the batch replaces every page of the file
inline constexpr int FileTypeTiff = 1;          // the image-set file is a multi-page TIFF
inline constexpr int Property11Value = 2;       // an unpublished property, always 2

// The settings the scan handlers make before every scan, named as the station's scan commands
// know them. Every batch uses the defaults but for ScanTo, Image and ShowSetupBeforeScan.
struct ScanSettings {
    int ScanTo = ScanToCurrentSettings;
    bool MultiPage = true;
    int PageCount = MaxBatchPages;
    QString Image; // the image-set file the batch replaces
    int PageOption = PageOptionReplaceAll;
    int FileType = FileTypeTiff;
    int Property11 = Property11Value;
    bool ShowSetupBeforeScan = false; // show the scanner's settings before scanning
};

// One scanner a source offers.
struct ScannerDeviceInfo {
    QString name; // what chooses it, e.g. "test:0" or the feeder folder
    QString vendor;
    QString model;
    QString type;

    QString label() const {
        QString text = name;
        const QString rest = QStringList{vendor, model, type}.join(QLatin1Char(' ')).simplified();
        if (!rest.isEmpty()) text += QStringLiteral(" (") + rest + QLatin1Char(')');
        return text;
    }
};

// One setting of a scanner the operator may change before a scan: source (feeder or flatbed),
// mode, resolution, page size. The choices are the device's own.
struct ScannerSetting {
    QString name;  // "source", "mode", "resolution", "page-size"
    QString title; // shown next to the choice
    QStringList choices;
    QString value;
};

// The dialogs a source shows; the workstation wires them to widgets, the command line leaves
// them empty (then nothing is shown and the current choice stays).
struct ScannerDialogs {
    // "Set Interface": the devices found, the current one and the last problem the source had
    // (empty when none). Returns the chosen device, nothing when cancelled.
    std::function<std::optional<QString>(const QList<ScannerDeviceInfo>& devices, const QString& current,
                                         const QString& lastProblem)>
        chooseDevice;
    // Settings before "Set Size and Scan": the values are changed in place; false = cancelled.
    std::function<bool(const QString& device, QList<ScannerSetting>& settings)> editSettings;
};

// The scanner control: scans every sheet of the feeder into the image-set file and reports the
// end of the batch. A scan runs in the background; its signals arrive on the thread that owns
// the scanner (the main thread). Nothing here shows anything except through ScannerDialogs.
class Scanner : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Scanner() override = default;

    // What the station scans from, for messages: "SANE test:0", "folder /srv/feeder".
    virtual QString description() const = 0;

    // The devices this source offers.
    virtual Status listDevices(QList<ScannerDeviceInfo>& devices) = 0;
    virtual QString currentDevice() const = 0;
    // Chooses a device and remembers it for the station.
    virtual Status chooseDevice(const QString& name) = 0;

    // Starts a batch (the control's "start scanning"). A failure here means nothing was scanned
    // and no signal follows; success means exactly one of scanDone or scanFailed follows, unless
    // the operator cancelled the settings (then nothing follows).
    virtual Status startScan(const ScanSettings& settings) = 0;
    // Closes the scanner; a batch in progress ends after the page being read (pages kept).
    virtual Status closeScanner() = 0;
    // Offers the choice of scanner ("Set Interface").
    virtual Status selectSource() = 0;
    virtual bool isScanning() const = 0;

signals:
    // The batch ended and the image-set file holds its pages, in scan order.
    void scanDone();
    // The batch ended without a page; the image-set file is as it was. The device's message.
    void scanFailed(const QString& message);
    // Something the operator should know that did not stop the batch: a file left in the feeder
    // folder, a jam that ended the batch early (the pages before it are kept).
    void scanNotice(const QString& message);
};

} // namespace kestrova
