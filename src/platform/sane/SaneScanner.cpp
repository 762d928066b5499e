#include "platform/sane/SaneScanner.h"

#include "platform/sane/SaneBatchSource.h"
#include "platform/sane/SaneOptions.h"

#include <sane/saneopts.h>

namespace kestrova {

using namespace sane;

namespace {

const QString Busy = QStringLiteral("The scanner is busy with a batch");
const QString NoScanner = QStringLiteral("No scanner found");

// The choice in choices equal to wanted in any letter case; empty when there is none.
QString Pick(const QStringList& choices, const QString& wanted) {
    for (const QString& c : choices) {
        if (c.compare(wanted, Qt::CaseInsensitive) == 0) return c;
    }
    return {};
}

QString FirstFeeder(const QStringList& choices) {
    for (const QString& c : choices) {
        if (IsFeederSource(c)) return c;
    }
    return {};
}

QString FirstOf(const QStringList& choices, std::initializer_list<const char*> wanted) {
    for (const char* w : wanted) {
        const QString c = Pick(choices, QString::fromLatin1(w));
        if (!c.isEmpty()) return c;
    }
    return {};
}

} // namespace

SaneScanner::SaneScanner(const ImageCodec& codec, ScannerConf conf, ScannerDialogs dialogs, QObject* parent)
    : Scanner(parent), m_codec(codec), m_conf(std::move(conf)), m_dialogs(std::move(dialogs)) {
    connect(&m_batch, &ImageSetBatch::noticed, this, &Scanner::scanNotice);
    connect(&m_batch, &ImageSetBatch::finished, this, &SaneScanner::batchFinished);
}

SaneScanner::~SaneScanner() {
    m_batch.stop();
    m_batch.waitForWorker();
}

QString SaneScanner::description() const {
    const QString device = currentDevice();
    return QStringLiteral("SANE ") + (device.isEmpty() ? QStringLiteral("(first scanner found)") : device);
}

Status SaneScanner::listDevices(QList<ScannerDeviceInfo>& devices) {
    if (!m_library.ok()) return Status::failure(m_library.error());
    return ListSaneDevices(devices);
}

QString SaneScanner::currentDevice() const {
    return m_conf.value(QStringLiteral("device"));
}

Status SaneScanner::chooseDevice(const QString& name) {
    m_conf.setValue(QStringLiteral("device"), name);
    if (!m_conf.save()) return Status::failure(m_conf.error());
    return Status::success();
}

Status SaneScanner::open(SANE_Handle& handle, QString& device) {
    if (!m_library.ok()) return Status::failure(m_library.error());
    device = currentDevice();
    if (device.isEmpty()) {
        QList<ScannerDeviceInfo> devices;
        const Status listed = ListSaneDevices(devices);
        if (!listed) return listed;
        if (devices.isEmpty()) return Status::failure(NoScanner);
        device = devices.front().name;
    }
    const SANE_Status status = sane_open(device.toUtf8().constData(), &handle);
    if (status != SANE_STATUS_GOOD) {
        return Status::failure(QStringLiteral("Cannot open scanner %1: %2").arg(device, StatusText(status)));
    }
    return Status::success();
}

void SaneScanner::readSettings(SANE_Handle handle, QList<ScannerSetting>& settings) const {
    settings.clear();
    auto chosen = [this](const char* name) { return m_conf.value(QStringLiteral("sane/") + QLatin1String(name)); };
    const QString sourceName = QStringLiteral(SANE_NAME_SCAN_SOURCE);
    if (FindOption(handle, sourceName).settable()) {
        const QStringList choices = OptionChoices(handle, sourceName);
        QString value = Pick(choices, chosen("source"));
        if (value.isEmpty()) value = FirstFeeder(choices);
        if (value.isEmpty()) value = OptionValue(handle, sourceName);
        settings.append({QStringLiteral("source"), QStringLiteral("Paper source"), choices, value});
    }
    const QString modeName = QStringLiteral(SANE_NAME_SCAN_MODE);
    if (FindOption(handle, modeName).settable()) {
        const QStringList choices = OptionChoices(handle, modeName);
        QString value = Pick(choices, chosen("mode"));
        if (value.isEmpty()) value = FirstOf(choices, {"Lineart", "Binary", "Black & White", "Gray", "Grayscale"});
        if (value.isEmpty()) value = OptionValue(handle, modeName);
        settings.append({QStringLiteral("mode"), QStringLiteral("Mode"), choices, value});
    }
    const QString resolutionName = QStringLiteral(SANE_NAME_SCAN_RESOLUTION);
    if (FindOption(handle, resolutionName).settable()) {
        const QStringList choices = OptionChoices(handle, resolutionName);
        QString value = chosen("resolution");
        if (value.isEmpty())
            value =
                choices.contains(QStringLiteral("200")) ? QStringLiteral("200") : OptionValue(handle, resolutionName);
        settings.append({QStringLiteral("resolution"), QStringLiteral("Resolution (dpi)"), choices, value});
    }
    if (HasPageGeometry(handle)) {
        const QStringList choices = PageSizes();
        QString value = Pick(choices, chosen("page-size"));
        if (value.isEmpty()) value = QStringLiteral("A4");
        settings.append({QStringLiteral("page-size"), QStringLiteral("Page size"), choices, value});
    }
}

Status SaneScanner::settings(QList<ScannerSetting>& settings) {
    if (m_batch.running()) return Status::failure(Busy);
    SANE_Handle handle = nullptr;
    QString device;
    const Status opened = open(handle, device);
    if (!opened) return opened;
    readSettings(handle, settings);
    sane_close(handle);
    return Status::success();
}

Status SaneScanner::applySettings(SANE_Handle handle, const QString& device) {
    QList<ScannerSetting> settings;
    readSettings(handle, settings);
    auto apply = [&](const QString& name) -> Status {
        for (const ScannerSetting& s : settings) {
            if (s.name != name) continue;
            if (name == QLatin1String("page-size")) return SetPageSize(handle, s.value);
            if (OptionValue(handle, name) == s.value) return Status::success();
            return SetOption(handle, name, s.value);
        }
        return Status::success();
    };
    // Source and mode first: they may change which other settings the device has.
    Status status = apply(QStringLiteral("source"));
    if (status) status = apply(QStringLiteral("mode"));
    const QStringList extra = m_conf.value(QStringLiteral("sane/options")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& item : extra) {
        if (!status) break;
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        status = SetOption(handle, item.left(eq).trimmed(), item.mid(eq + 1).trimmed());
    }
    if (status) status = apply(QStringLiteral("resolution"));
    if (status) status = apply(QStringLiteral("page-size"));
    if (!status) status = Status::failure(device + QStringLiteral(": ") + status.error(), status.code());
    return status;
}

Status SaneScanner::startScan(const ScanSettings& settings) {
    if (m_batch.running()) return Status::failure(Busy);
    m_lastProblem.clear();
    SANE_Handle handle = nullptr;
    QString device;
    Status status = open(handle, device);
    if (status && settings.ShowSetupBeforeScan && m_dialogs.editSettings) {
        QList<ScannerSetting> chosen;
        readSettings(handle, chosen);
        if (!m_dialogs.editSettings(device, chosen)) {
            sane_close(handle);
            return Status::cancel();
        }
        for (const ScannerSetting& s : chosen) m_conf.setValue(QStringLiteral("sane/") + s.name, s.value);
        // A station that cannot write its file keeps the settings for this session.
        m_conf.save();
    }
    if (status) {
        status = applySettings(handle, device);
        if (!status) sane_close(handle);
    }
    if (!status) {
        m_lastProblem = status.error();
        return status;
    }
    const bool feeder = IsFeederSource(OptionValue(handle, QStringLiteral(SANE_NAME_SCAN_SOURCE)));
    auto source = std::make_unique<SaneBatchSource>(handle, m_codec, settings.PageCount, feeder, Resolution(handle));
    m_batch.start(settings.Image, std::move(source));
    return Status::success();
}

void SaneScanner::batchFinished(const BatchResult& result) {
    if (result.replaced) {
        if (!result.error.isEmpty()) {
            m_lastProblem = result.error;
            emit scanNotice(
                QStringLiteral("%1; the %2 page(s) scanned before it are kept").arg(result.error).arg(result.pages));
        }
        emit scanDone();
        return;
    }
    m_lastProblem = result.error.isEmpty() ? QStringLiteral("The scanner gave no page") : result.error;
    emit scanFailed(m_lastProblem);
}

Status SaneScanner::closeScanner() {
    m_batch.stop();
    return Status::success();
}

Status SaneScanner::selectSource() {
    if (m_batch.running()) return Status::failure(Busy);
    QList<ScannerDeviceInfo> devices;
    const Status listed = listDevices(devices);
    if (!listed) return listed;
    if (devices.isEmpty()) return Status::failure(NoScanner);
    if (!m_dialogs.chooseDevice) return Status::success();
    const std::optional<QString> chosen = m_dialogs.chooseDevice(devices, currentDevice(), m_lastProblem);
    if (!chosen) return Status::cancel();
    return chooseDevice(*chosen);
}

} // namespace kestrova
