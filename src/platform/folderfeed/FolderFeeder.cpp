#include "platform/folderfeed/FolderFeeder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kestrova {

namespace {

QString WithSlash(QString dir) {
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

// dir + name, or dir + base + "-N" + suffix when that name is taken.
QString FreeName(const QString& dir, const QString& name) {
    if (!QFileInfo::exists(dir + name)) return dir + name;
    const QFileInfo info(name);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 1;; ++n) {
        const QString candidate = dir + base + QLatin1Char('-') + QString::number(n) + suffix;
        if (!QFileInfo::exists(candidate)) return candidate;
    }
}

const QString Busy = QStringLiteral("The scanner is busy with a batch");

} // namespace

FolderFeeder::FolderFeeder(const ImageCodec& codec, QString folder, ScannerConf conf, ScannerDialogs dialogs,
                           QObject* parent)
    : Scanner(parent), m_codec(codec), m_folder(WithSlash(std::move(folder))), m_conf(std::move(conf)),
      m_dialogs(std::move(dialogs)) {
    connect(&m_batch, &ImageSetBatch::noticed, this, &Scanner::scanNotice);
    connect(&m_batch, &ImageSetBatch::finished, this, &FolderFeeder::batchFinished);
}

FolderFeeder::~FolderFeeder() {
    m_batch.stop();
    m_batch.waitForWorker();
}

QString FolderFeeder::description() const {
    return QStringLiteral("folder ") + QDir::toNativeSeparators(m_folder);
}

Status FolderFeeder::listDevices(QList<ScannerDeviceInfo>& devices) {
    devices = {{m_folder, QString(), QString(), QStringLiteral("folder feeder")}};
    return Status::success();
}

Status FolderFeeder::chooseDevice(const QString& name) {
    if (m_batch.running()) return Status::failure(Busy);
    m_folder = WithSlash(name);
    if (m_conf.path().isEmpty()) return Status::success();
    m_conf.setValue(QStringLiteral("folder"), name);
    if (!m_conf.save()) return Status::failure(m_conf.error());
    return Status::success();
}

QStringList FolderFeeder::waitingFiles() const {
    QStringList files;
    const QFileInfoList entries = QDir(m_folder).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries) files.append(entry.absoluteFilePath());
    return files;
}

Status FolderFeeder::startScan(const ScanSettings& settings) {
    if (m_batch.running()) return Status::failure(Busy);
    m_lastProblem.clear();
    Status status;
    if (!QFileInfo(m_folder).isDir()) {
        status = Status::failure(
            QStringLiteral("The feeder folder %1 does not exist").arg(QDir::toNativeSeparators(m_folder)));
    } else if (waitingFiles().isEmpty()) {
        status = Status::failure(
            QStringLiteral("No page images in the feeder folder %1").arg(QDir::toNativeSeparators(m_folder)));
    }
    if (!status) {
        m_lastProblem = status.error();
        return status;
    }
    m_taken = std::make_shared<QList<TakenFile>>();
    m_batch.start(settings.Image,
                  std::make_unique<FolderBatchSource>(m_codec, waitingFiles(), settings.PageCount, m_taken));
    return Status::success();
}

void FolderFeeder::batchFinished(const BatchResult& result) {
    if (!result.replaced) {
        m_lastProblem = result.error.isEmpty() ? QStringLiteral("No page image in the feeder folder %1 could be read")
                                                     .arg(QDir::toNativeSeparators(m_folder))
                                               : result.error;
        m_taken.reset();
        emit scanFailed(m_lastProblem);
        return;
    }
    if (!result.error.isEmpty()) {
        m_lastProblem = result.error;
        emit scanNotice(
            QStringLiteral("%1; the %2 page(s) read before it are kept").arg(result.error).arg(result.pages));
    }
    moveTaken(result.pages);
    emit scanDone();
}

void FolderFeeder::moveTaken(int pagesWritten) {
    const QString takenDir = m_folder + QLatin1String(TakenFolder) + QLatin1Char('/');
    if (!QDir().mkpath(takenDir)) {
        emit scanNotice(QStringLiteral("Cannot make %1; the scanned files stay in the feeder folder and will be "
                                       "scanned again")
                            .arg(QDir::toNativeSeparators(takenDir)));
        return;
    }
    const QList<TakenFile> taken = m_taken ? *m_taken : QList<TakenFile>();
    m_taken.reset();
    for (const TakenFile& file : taken) {
        // A file whose pages did not all reach the image-set file stays to be scanned again.
        if (file.pagesThrough > pagesWritten) continue;
        const QString target = FreeName(takenDir, QFileInfo(file.path).fileName());
        if (!QFile::rename(file.path, target)) {
            emit scanNotice(QStringLiteral("Cannot move %1 to %2; it will be scanned again")
                                .arg(QDir::toNativeSeparators(file.path), QDir::toNativeSeparators(takenDir)));
        }
    }
}

Status FolderFeeder::closeScanner() {
    m_batch.stop();
    return Status::success();
}

Status FolderFeeder::selectSource() {
    if (m_batch.running()) return Status::failure(Busy);
    if (!m_dialogs.chooseDevice) return Status::success();
    QList<ScannerDeviceInfo> devices;
    (void)listDevices(devices); // the feeder's one folder; listing it cannot fail
    const std::optional<QString> chosen = m_dialogs.chooseDevice(devices, m_folder, m_lastProblem);
    if (!chosen) return Status::cancel();
    return chooseDevice(*chosen);
}

} // namespace kestrova
