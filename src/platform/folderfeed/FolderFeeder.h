#pragma once

#include "core/ports/PageImage.h"
#include "core/ports/Scanner.h"
#include "core/scan/ScanControlBatch.h"
#include "core/scan/ScanControlSetup.h"
#include "platform/folderfeed/FolderBatchSource.h"

#include <QStringList>
#include <memory>

namespace kestrova {

// The folder feeder: a folder where a network scanner drops page images (TIFF, multi-page too,
// PNG, BMP, JPEG). A scan takes the files present when it starts, in name order, makes every
// page 1 bit per pixel, writes them as the image-set file and only then moves the taken files to
// the folder's "taken" sub-folder. A file that cannot be read stays where it is and is reported.
class FolderFeeder : public Scanner {
    Q_OBJECT
public:
    static constexpr const char* TakenFolder = "taken";

    // folder with or without the trailing "/". conf is where a folder chosen later is remembered.
    FolderFeeder(const ImageCodec& codec, QString folder, ScannerConf conf = {}, ScannerDialogs dialogs = {},
                 QObject* parent = nullptr);
    ~FolderFeeder() override;

    QString description() const override;
    Status listDevices(QList<ScannerDeviceInfo>& devices) override;
    QString currentDevice() const override { return m_folder; }
    Status chooseDevice(const QString& name) override;
    Status startScan(const ScanSettings& settings) override;
    Status closeScanner() override;
    Status selectSource() override;
    bool isScanning() const override { return m_batch.running(); }

    void waitForWorker() { m_batch.waitForWorker(); }

    // The files a scan would take now, in name order (hidden files and folders are not pages).
    QStringList waitingFiles() const;

private:
    void batchFinished(const BatchResult& result);
    void moveTaken(int pagesWritten);

    const ImageCodec& m_codec;
    QString m_folder;
    ScannerConf m_conf;
    ScannerDialogs m_dialogs;
    ImageSetBatch m_batch;
    std::shared_ptr<QList<TakenFile>> m_taken; // filled by the worker, read after it has ended
    QString m_lastProblem;
};

} // namespace kestrova
