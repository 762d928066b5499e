#include "core/scan/ScanControl.h"

#include "core/config/SetupInfo.h"
#include "core/scan/DecodeImages.h"
#include "core/scan/DecodeJournal.h"
#include "core/station/Station.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kestrova {

namespace {

const QString ImageSetName = QStringLiteral("qvimageset.tif");

// dir + the entry whose name equals name in any letter case; empty when there is none.
QString FindNoCase(const QString& dir, const QString& name) {
    if (QFileInfo::exists(dir + name)) return dir + name;
    const QDir d(dir.isEmpty() ? QStringLiteral(".") : dir);
    const QStringList entries = d.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir + entry;
    }
    return {};
}

// Shown exactly as operators and their instructions know it, slips of typing included.
const QString DefaultSetFailureCaption = QStringLiteral("Default Image set Create failure");
const QString DefaultSetFailureText =
    QStringLiteral("I could not create a default \"Image Set file\".\n"
                   "Some scanner interaces will not be able to start.\n\n"
                   "Use Imaging to create a CITT4 Tiff file called \"qvimageset.tif\" in \n"
                   " in the \"Scan\" folder.");

} // namespace

QString ImageSetFile(const QString& scanDir) {
    const QString found = FindNoCase(scanDir, ImageSetName);
    return found.isEmpty() ? scanDir + ImageSetName : found;
}

ScanControl::ScanControl(Station& station, Scanner& scanner, const ImageCodec& codec, QObject* parent)
    : QObject(parent), m_station(station), m_scanner(scanner), m_codec(codec) {
    m_decode = [this] {
        DecodeImages(m_station, m_codec, ImageSetFile(m_station.setup().SetupInfo.Directories[SlotScan]), m_decodeView);
    };
    connect(&m_scanner, &Scanner::scanDone, this, &ScanControl::onScanDone);
    connect(&m_scanner, &Scanner::scanFailed, this, &ScanControl::onScanFailed);
    connect(&m_scanner, &Scanner::scanNotice, this,
            [this](const QString& text) { m_station.LogEvent(QStringLiteral("Scanner Problem ") + text); });
}

bool ScanControl::nextscanner() {
    const QString scanDir = m_station.setup().SetupInfo.Directories[SlotScan];
    if (!FindNoCase(scanDir, ImageSetName).isEmpty()) return true;
    bool made = false;
    QString templ = FindNoCase(m_station.setup().ProgramDir, ImageSetName);
    if (templ.isEmpty()) templ = m_station.setup().ProgramDir + ImageSetName;
    Result<LoadedPage> page = m_codec.loadPage(templ, 0, 1);
    if (page && page.value().image && (scanDir.isEmpty() || QDir().mkpath(scanDir))) {
        made = static_cast<bool>(
            page.value().image->saveTiff(scanDir + ImageSetName, TiffCompression::CcittG4, TiffSaveMode::Replace));
        if (made) QFile::remove(DecodeJournal::pathFor(scanDir + ImageSetName));
        if (made) QFile::remove(BatchSummaryFile(scanDir + ImageSetName));
    }
    if (!made) m_station.prompter().message(DefaultSetFailureCaption, DefaultSetFailureText, MessageIcon::Error);
    return made;
}

void ScanControl::ScanbuttonClick() {
    scan(true);
}

void ScanControl::ScanMoreButtonClick() {
    scan(false);
}

void ScanControl::scan(bool setSizeFirst) {
    // A batch in progress owns the image-set file until it has been handed over.
    if (m_scanning || m_scanner.isScanning()) return;

    m_station.task().setConvertStop(true);
    m_station.task().setBackupStop(true);
    nextscanner();
    if (setSizeFirst && m_station.task().StoreFileTimerEnabled()) setStoreTimer(false);
    if (m_view.DecodeImageDocFillsPanel && m_view.DecodeImageDocFillsPanel() && m_view.ShowStatusView) {
        m_view.ShowStatusView();
        // The status view switches the store timer on; it stays off while "Set Size and Scan" runs.
        if (setSizeFirst && m_station.task().StoreFileTimerEnabled()) setStoreTimer(false);
    }

    // The other settings are the same for every batch: the defaults of ScanSettings.
    ScanSettings settings;
    settings.ScanTo = setSizeFirst ? ScanToAfterSetup : ScanToCurrentSettings;
    settings.Image = ImageSetFile(m_station.setup().SetupInfo.Directories[SlotScan]);
    settings.ShowSetupBeforeScan = setSizeFirst;

    const Status started = m_scanner.startScan(settings);
    if (!started) {
        scannerFailed(setSizeFirst, started.error());
        if (setSizeFirst) setStoreTimer(true);
        return;
    }
    if (started.cancelled()) {
        if (setSizeFirst) setStoreTimer(true);
        return;
    }
    // The batch runs on; the store timer starts again when it has been handed over.
    m_setSizeBatch = setSizeFirst;
    setScanning(true);
}

void ScanControl::scannerFailed(bool setSizeFirst, const QString& message) {
    if (setSizeFirst) m_station.LogEvent(QStringLiteral("Scanner Problem ") + message);
    // The operator is offered another scanner; whatever comes of that choice, the scanner is
    // closed and the problem logged. A choice that fails is logged as it is from the menu.
    if (!m_scanner.selectSource()) m_station.LogEvent(QStringLiteral("Problem with TWAIN Interface"));
    // A scanner that cannot be closed may still hold its device; the log says why.
    if (const Status closed = m_scanner.closeScanner(); !closed)
        m_station.LogEvent(QStringLiteral("Scanner Problem ") + closed.error());
    m_station.LogEvent(QStringLiteral("Problem with Scanner"));
}

void ScanControl::onScanDone() {
    ScanControlScanDone();
    if (!m_scanning) return;
    setScanning(false);
    if (m_setSizeBatch) setStoreTimer(true);
}

void ScanControl::onScanFailed(const QString& message) {
    const bool setSize = m_setSizeBatch;
    scannerFailed(setSize, message);
    setScanning(false);
    if (setSize) setStoreTimer(true);
}

void ScanControl::TWAIN2Click() {
    const Status chosen = m_scanner.selectSource();
    if (!chosen) m_station.LogEvent(QStringLiteral("Problem with TWAIN Interface"));
}

void ScanControl::ScanControlScanDone() {
    // Decoding lets the message loop run between pages; a second hand-over waits for the first.
    if (m_decoding || !m_decode) return;
    m_decoding = true;
    m_decode();
    m_decoding = false;
}

void ScanControl::setScanning(bool on) {
    if (m_scanning == on) return;
    m_scanning = on;
    emit scanningChanged(on);
}

void ScanControl::setStoreTimer(bool on) {
    m_station.task().setStoreFileTimerEnabled(on);
}

} // namespace kestrova
