#pragma once

#include "core/ports/PageImage.h"
#include "core/ports/Scanner.h"
#include "core/scan/DecodeImages.h"

#include <QObject>
#include <QString>
#include <functional>

namespace kestrova {

class Station;

// The pieces of the main window the scan handlers reach.
struct ScanControlView {
    // True while the batch image fills its panel (the problem or review view is showing).
    std::function<bool()> DecodeImageDocFillsPanel;
    // Back to the normal status view (the main window's ShowStatusView).
    std::function<void()> ShowStatusView;
};

// The image-set file of a scan directory: the file there whose name is "qvimageset.tif" in any
// letter case, or scanDir + "qvimageset.tif" when there is none.
QString ImageSetFile(const QString& scanDir);

// Scan batch control: the two scan commands, the choice of scanner, the image-set file that
// must exist before a scan, and the hand-over to decoding at the end of a batch. Everything runs
// on the main thread; the scanner's signals arrive there.
class ScanControl : public QObject {
    Q_OBJECT
public:
    ScanControl(Station& station, Scanner& scanner, const ImageCodec& codec, QObject* parent = nullptr);

    void setView(ScanControlView view) { m_view = std::move(view); }
    // What batch decoding reaches of the window.
    void setDecodeView(DecodeImagesView view) { m_decodeView = std::move(view); }
    // What the end of a batch runs instead of batch decoding (tests, a station that only scans).
    void setDecodeImages(std::function<void()> decode) { m_decode = std::move(decode); }

    Scanner& scanner() const { return m_scanner; }

    // Makes sure the scan directory holds an image-set file, made from the program directory's
    // template when missing. False when it could not be made (the operator has been told).
    bool nextscanner();

    void ScanbuttonClick();     // "Set Size and Scan"
    void ScanMoreButtonClick(); // scan with the current settings
    void TWAIN2Click();         // "Set Interface"
    void ScanControlScanDone(); // end of a batch: decode it
    // The "Images Scanned " counter: decode the waiting batch as if a scan had just ended.
    void SystemLabelClick() { ScanControlScanDone(); }

    // True from a successful start until the batch has been handed over.
    bool scanning() const { return m_scanning; }

signals:
    void scanningChanged(bool scanning);

private:
    void scan(bool setSizeFirst);
    void scannerFailed(bool setSizeFirst, const QString& message);
    void onScanDone();
    void onScanFailed(const QString& message);
    void setScanning(bool on);
    void setStoreTimer(bool on);

    Station& m_station;
    Scanner& m_scanner;
    const ImageCodec& m_codec;
    ScanControlView m_view;
    DecodeImagesView m_decodeView;
    std::function<void()> m_decode;
    bool m_scanning = false;
    bool m_setSizeBatch = false; // the running batch came from "Set Size and Scan"
    bool m_decoding = false;     // a batch is being decoded (the counter click waits for it)
};

} // namespace kestrova
