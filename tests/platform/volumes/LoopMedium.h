#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>

namespace kestrova::test {

// A small ext4 file system with a volume label (none when label is empty), loop-mounted for a test and unmounted after
// it. Where mounting is refused (no root, no loop devices) skipReason says why.
class LoopMedium {
public:
    explicit LoopMedium(const QString& label, int megabytes = 8) {
        m_image = m_dir.path() + QStringLiteral("/medium.img");
        m_mountPoint = m_dir.path() + QStringLiteral("/mnt");
        QDir().mkpath(m_mountPoint);
        QFile image(m_image);
        if (!image.open(QIODevice::WriteOnly) || !image.resize(qint64(megabytes) * 1024 * 1024)) {
            m_skip = QStringLiteral("cannot create the medium image");
            return;
        }
        image.close();
        QStringList mkfs = {QStringLiteral("-q"), m_image};
        if (!label.isEmpty()) mkfs = QStringList{QStringLiteral("-q"), QStringLiteral("-L"), label, m_image};
        if (!run(QStringLiteral("mkfs.ext4"), mkfs)) {
            m_skip = QStringLiteral("mkfs.ext4 failed: ") + m_output;
            return;
        }
        if (!run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("loop"), m_image, m_mountPoint})) {
            m_skip = QStringLiteral("mount refused here: ") + m_output.trimmed();
            return;
        }
        m_mounted = true;
    }
    ~LoopMedium() { unmount(); }
    LoopMedium(const LoopMedium&) = delete;
    LoopMedium& operator=(const LoopMedium&) = delete;

    bool mounted() const { return m_mounted; }
    const QString& skipReason() const { return m_skip; }
    const QString& mountPoint() const { return m_mountPoint; }
    QString path(const QString& name) const { return m_mountPoint + QLatin1Char('/') + name; }

    bool unmount() {
        if (!m_mounted) return true;
        m_mounted = !run(QStringLiteral("umount"), {m_mountPoint});
        return !m_mounted;
    }

private:
    bool run(const QString& program, const QStringList& args) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        if (!p.waitForStarted(10000)) {
            m_output = program + QStringLiteral(" cannot be started");
            return false;
        }
        p.waitForFinished(60000);
        m_output = QString::fromLocal8Bit(p.readAll());
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QTemporaryDir m_dir;
    QString m_image;
    QString m_mountPoint;
    QString m_skip;
    QString m_output;
    bool m_mounted = false;
};

} // namespace kestrova::test

#define KESTROVA_NEED_MEDIUM(m)                                                                                        \
    if (!(m).mounted()) GTEST_SKIP() << "skipped: " << (m).skipReason().toStdString()
