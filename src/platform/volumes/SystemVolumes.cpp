#include "platform/volumes/SystemVolumes.h"
#include "platform/volumes/MountInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <blkid/blkid.h>
#include <sys/statvfs.h>

namespace kestrova {

namespace {

QString ProbeLabel(const QString& device, bool& opened) {
    opened = false;
    blkid_probe probe = blkid_new_probe_from_filename(QFile::encodeName(device).constData());
    if (!probe) return {};
    opened = true;
    QString label;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL);
    if (blkid_do_safeprobe(probe) == 0) {
        const char* value = nullptr;
        if (blkid_probe_lookup_value(probe, "LABEL", &value, nullptr) == 0 && value) label = QString::fromUtf8(value);
    }
    blkid_free_probe(probe);
    return label;
}

// udev writes unsafe characters of a label as "\xNN".
QString DecodeUdevName(const QString& name) {
    QByteArray out;
    const QByteArray in = QFile::encodeName(name);
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            bool ok = false;
            const int code = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out += char(code);
                i += 3;
                continue;
            }
        }
        out += in[i];
    }
    return QString::fromUtf8(out);
}

QString LabelFromUdevLinks(const QString& device) {
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty()) return {};
    const QDir dir(QStringLiteral("/dev/disk/by-label"));
    for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (link.canonicalFilePath() == target) return DecodeUdevName(link.fileName());
    }
    return {};
}

} // namespace

std::optional<DiskSpace> SystemVolumes::diskSpace(const QString& path) const {
    struct statvfs s {};
    if (path.isEmpty() || ::statvfs(QFile::encodeName(path).constData(), &s) != 0) return std::nullopt;
    DiskSpace space;
    space.bytesPerCluster = s.f_frsize ? s.f_frsize : s.f_bsize;
    space.freeClusters = s.f_bavail;
    space.totalClusters = s.f_blocks;
    return space;
}

VolumeInfo SystemVolumes::volumeOf(const QString& path) const {
    VolumeInfo info;
    const QString canonical = path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty()) return info;
    QFile file(m_mountInfo);
    if (!file.open(QIODevice::ReadOnly)) return info;
    // The file is generated as it is read: read to the end rather than trusting its size.
    const QString text = QString::fromUtf8(file.readAll());
    const std::vector<MountEntry> mounts = ParseMountInfo(text);
    const MountEntry* mount = MountHolding(mounts, canonical);
    if (!mount) return info;
    info.mountPoint = mount->mountPoint;
    info.fileSystem = mount->fileSystem;
    info.device = mount->source;
    if (!IsNetworkFileSystem(info.fileSystem) && info.device.startsWith(QLatin1String("/dev/")))
        info.label = DeviceLabel(info.device);
    return info;
}

QString SystemVolumes::DeviceLabel(const QString& device) {
    bool opened = false;
    const QString label = ProbeLabel(device, opened);
    if (opened) return label;
    return LabelFromUdevLinks(device);
}

} // namespace kestrova
