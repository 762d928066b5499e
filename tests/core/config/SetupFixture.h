#pragma once

#include "core/config/SetupFile.h"
#include "support/TempStation.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

namespace kestrova::test {

// A station in a temporary directory with a valid setup file whose lines a test can change.
class SetupFileTest : public ::testing::Test {
public:
    TempStation t;
    Station& station = t.station;
    QStringList lines;

    void SetUp() override {
        for (const char* dir : {"scan", "problems", "decoded", "local", "store"}) QDir().mkpath(t.path(dir));
        const QString root = t.dir.path() + QLatin1Char('/');
        lines = QStringList{
            QStringLiteral("Kestrova Station Setup"),
            "1|Scan Directory|" + root + "scan|",
            "2|Problems Directory|" + root + "problems/|",
            "3|Decoded Directory|" + root + "decoded|",
            QStringLiteral("4|Remote Scanner Directory||"),
            "5|View Image Destination|" + root + "store/**|",
            "6|Local Images|" + root + "local/|",
            QStringLiteral("7|Backup Destination|/media/disc/|"),
            QStringLiteral("10|Narrow|2,4|"),
            QStringLiteral("11|Wide|5,9|"),
            QStringLiteral("12|Double and Quad|10,14,15,20|"),
            QStringLiteral("13|Digits|6,12|"),
            QStringLiteral("14|Minimum Page Height|270|"),
            QStringLiteral("15|Barcode Types|2156003388|"),
            QStringLiteral("16|Mode|SINGLE|"),
            QStringLiteral("17|Format|TIFF4|"),
            QStringLiteral("18|Scanner ID| S1 |"),
            QStringLiteral("19|Sizes|100:100:2|"),
            QStringLiteral("200|Document|Request Form:REQ:2928:30:lab-requests|"),
        };
    }

    // Replaces the line with this code (or appends one) with code|label|value|.
    void set(int code, const QString& value) {
        remove(code);
        lines.append(QStringLiteral("%1|label|%2|").arg(code).arg(value));
    }
    void remove(int code) {
        const QString prefix = QString::number(code) + QLatin1Char('|');
        lines.erase(std::remove_if(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(prefix); }),
                    lines.end());
    }

    QString write(const QByteArray& bytes) {
        const QString path = t.path(QStringLiteral("kestrova.inf"));
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
    SetupOutcome read(const SetupFileHooks& hooks = {}) {
        return ReadSetupFile(station, write(lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n"), hooks);
    }

    // The texts of the message boxes shown so far.
    QStringList texts() const {
        QStringList out;
        for (const auto& s : t.prompter.shown()) out << s.text;
        return out;
    }
};

} // namespace kestrova::test
