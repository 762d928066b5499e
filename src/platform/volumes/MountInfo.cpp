#include "platform/volumes/MountInfo.h"

#include <QStringList>

namespace kestrova {

namespace {

QString Unescape(QStringView field) {
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c == QLatin1Char('\\') && i + 3 < field.size() && field[i + 1].isDigit() && field[i + 2].isDigit() &&
            field[i + 3].isDigit()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && code < 256) {
                out += QChar(code);
                i += 3;
                continue;
            }
        }
        out += c;
    }
    return out;
}

bool Holds(const QString& mountPoint, const QString& path) {
    if (mountPoint == QLatin1String("/")) return path.startsWith(QLatin1Char('/'));
    return path == mountPoint || (path.startsWith(mountPoint) && path.at(mountPoint.size()) == QLatin1Char('/'));
}

} // namespace

std::vector<MountEntry> ParseMountInfo(QStringView text) {
    std::vector<MountEntry> mounts;
    for (QStringView line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QList<QStringView> fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        qsizetype dash = -1;
        for (qsizetype i = 6; i < fields.size(); ++i) {
            if (fields[i] == QLatin1String("-")) {
                dash = i;
                break;
            }
        }
        if (fields.size() < 6 || dash < 0 || dash + 2 >= fields.size()) continue;
        mounts.push_back({Unescape(fields[4]), Unescape(fields[dash + 1]), Unescape(fields[dash + 2])});
    }
    return mounts;
}

const MountEntry* MountHolding(const std::vector<MountEntry>& mounts, const QString& path) {
    const MountEntry* best = nullptr;
    for (const MountEntry& m : mounts) {
        if (!Holds(m.mountPoint, path)) continue;
        if (!best || m.mountPoint.size() >= best->mountPoint.size()) best = &m;
    }
    return best;
}

bool IsNetworkFileSystem(const QString& fileSystem) {
    static const QStringList network = {
        QStringLiteral("nfs"),        QStringLiteral("nfs4"),  QStringLiteral("cifs"),
        QStringLiteral("smb3"),       QStringLiteral("smbfs"), QStringLiteral("ncpfs"),
        QStringLiteral("afs"),        QStringLiteral("ceph"),  QStringLiteral("9p"),
        QStringLiteral("glusterfs"),  QStringLiteral("davfs"), QStringLiteral("fuse.sshfs"),
        QStringLiteral("fuse.davfs"), QStringLiteral("lustre")};
    return network.contains(fileSystem) || fileSystem.startsWith(QLatin1String("fuse.glusterfs"));
}

} // namespace kestrova
