#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

namespace kestrova::test {

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline QString SampleProfilePath() {
    return QStringLiteral(KESTROVA_SHARED_SAMPLES "/Referral Code 39.stp");
}

} // namespace kestrova::test
