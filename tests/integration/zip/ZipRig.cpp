#include "ZipRig.h"

#include "core/store/ZipNames.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace kestrova::ziptest {

QString ZipRig::local(const QString& name, const QByteArray& bytes) {
    const QString path = localDir + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.isEmpty() ? (QByteArrayLiteral("image of ") + name.toUtf8()).repeated(20) : bytes);
    return path;
}

int ZipRig::backup(const QString& name) {
    const QString key = WithoutExtension(name);
    const QString z = media.CurrentZipFileFor(key);
    EXPECT_FALSE(z.isEmpty());
    const QString dest = ZipDestinationDir(station.setup(), ZipGroupOf(key, station.setup().StoreMask));
    return media.ZipAddAndCommit(z, local(name), dest);
}

QStringList ZipRig::entries(const QString& path) const {
    QString error;
    const auto zip = zips.open(path, error);
    EXPECT_TRUE(zip) << error.toStdString();
    return zip ? zip->entryNames() : QStringList();
}

void ZipRig::makeZip(const QString& path, const QList<QPair<QString, QByteArray>>& content) const {
    QString error;
    const auto zip = zips.open(path, error);
    ASSERT_TRUE(zip) << error.toStdString();
    for (const auto& [name, data] : content) ASSERT_TRUE(zip->add(name, data, clock.now()));
    const Status written = zip->commit();
    ASSERT_TRUE(written) << written.error().toStdString();
}

QString ZipRig::zipFolder() const {
    return ZipFolder(station.setup());
}

namespace {

quint32 Crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

} // namespace

QByteArray RawZip(const QList<QPair<QByteArray, QByteArray>>& content) {
    QByteArray out, central;
    QDataStream body(&out, QIODevice::WriteOnly);
    QDataStream dir(&central, QIODevice::WriteOnly);
    body.setByteOrder(QDataStream::LittleEndian);
    dir.setByteOrder(QDataStream::LittleEndian);
    for (const auto& [name, data] : content) {
        const quint32 offset = static_cast<quint32>(out.size());
        const quint32 crc = Crc32(data);
        const auto size = static_cast<quint32>(data.size());
        const auto nameSize = static_cast<quint16>(name.size());
        // Local header: version 10, no flags, stored, time and date 0.
        body << quint32(0x04034b50) << quint16(10) << quint16(0) << quint16(0) << quint16(0) << quint16(0) << crc
             << size << size << nameSize << quint16(0);
        body.writeRawData(name.constData(), name.size());
        body.writeRawData(data.constData(), data.size());
        dir << quint32(0x02014b50) << quint16(20) << quint16(10) << quint16(0) << quint16(0) << quint16(0) << quint16(0)
            << crc << size << size << nameSize << quint16(0) << quint16(0) << quint16(0) << quint16(0) << quint32(0)
            << offset;
        dir.writeRawData(name.constData(), name.size());
    }
    const auto entries = static_cast<quint16>(content.size());
    const auto dirOffset = static_cast<quint32>(out.size());
    body.writeRawData(central.constData(), central.size());
    body << quint32(0x06054b50) << quint16(0) << quint16(0) << entries << entries
         << static_cast<quint32>(central.size()) << dirOffset << quint16(0);
    return out;
}

} // namespace kestrova::ziptest
