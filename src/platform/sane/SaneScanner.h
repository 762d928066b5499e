#pragma once

#include "core/ports/PageImage.h"
#include "core/ports/Scanner.h"
#include "core/scan/ScanControlBatch.h"
#include "core/scan/ScanControlSetup.h"
#include "platform/sane/SaneLibrary.h"

namespace kestrova {

// The scanner control on SANE. The device and its settings are remembered in the station's
// scanner.conf ("device", and "source", "mode", "resolution", "page-size", "options" in [sane]).
// A batch runs on a worker thread inside the adapter; its signals arrive on the owner's thread.
class SaneScanner : public Scanner {
    Q_OBJECT
public:
    SaneScanner(const ImageCodec& codec, ScannerConf conf, ScannerDialogs dialogs = {}, QObject* parent = nullptr);
    ~SaneScanner() override;

    QString description() const override;
    Status listDevices(QList<ScannerDeviceInfo>& devices) override;
    QString currentDevice() const override;
    Status chooseDevice(const QString& name) override;
    Status startScan(const ScanSettings& settings) override;
    Status closeScanner() override;
    Status selectSource() override;
    bool isScanning() const override { return m_batch.running(); }

    // The settings the device offers for a scan, with the station's current choices.
    Status settings(QList<ScannerSetting>& settings);
    // Blocks until a running batch's worker has ended (its signals still need the event loop).
    void waitForWorker() { m_batch.waitForWorker(); }
    const ScannerConf& conf() const { return m_conf; }

private:
    Status open(SANE_Handle& handle, QString& device);
    void readSettings(SANE_Handle handle, QList<ScannerSetting>& settings) const;
    Status applySettings(SANE_Handle handle, const QString& device);
    void batchFinished(const BatchResult& result);

    sane::SaneLibrary m_library;
    const ImageCodec& m_codec;
    ScannerConf m_conf;
    ScannerDialogs m_dialogs;
    ImageSetBatch m_batch;
    QString m_lastProblem;
};

} // namespace kestrova
