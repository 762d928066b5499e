#pragma once

#include "support/TestFiles.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

namespace kestrova::test {

inline QString SampleProfilePath() {
    return QStringLiteral(KESTROVA_SHARED_SAMPLES "/Referral Code 39.stp");
}

} // namespace kestrova::test
