#include "support/StationDir.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using kestrova::test::RunKestrova;
using kestrova::test::StationDir;

// The local images directory not set up: the station starts up with such a setup, shows the
// message and closes. A command that stores refuses it before it opens the database or touches a
// file; the dashboard, which only reads, still shows the station, and fails.
TEST(StationStartup, ACriticalDirectoryNotSetUpStopsAStoringCommandButNotTheDashboard) {
    StationDir station;
    const QByteArray local = (station.path("local") + "/").toUtf8();
    ASSERT_TRUE(station.replaceInSetup("|Local Images|" + local + "|", "|Local Images||"));
    const QString decoded = station.path("decoded/20260001~REQS100001.tif");
    {
        QFile page(decoded);
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write("not stored");
    }

    const kestrova::test::KestrovaRun convert = RunKestrova(station, {"convert"});
    EXPECT_EQ(convert.exitCode, 1);
    EXPECT_TRUE(convert.err.contains("A Critical Directory has not been set up correctly."))
        << convert.err.toStdString();
    EXPECT_TRUE(QFile::exists(decoded));
    EXPECT_FALSE(QFile::exists(station.path("ImageDatabase/KestrovaImageData.mdb")));

    const kestrova::test::KestrovaRun status = RunKestrova(station, {"status"});
    EXPECT_EQ(status.exitCode, 1);
    const QJsonObject report = QJsonDocument::fromJson(status.out.toUtf8()).object();
    EXPECT_EQ(report["counters"].toObject()["DecodedWaitingLabel"].toObject()["text"].toString(), "1")
        << status.out.toStdString();
}
