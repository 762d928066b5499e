#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QString err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

CliRun Profiles(const QString& programDir, const QStringList& args = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KESTROVA_PROGRAM_DIR"), programDir);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KESTROVA_BIN_DIR "/kestrova"), QStringList{"profiles"} + args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(ProfilesCommand, ListsTheProfilesInMenuOrderAndShowsOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(KESTROVA_SHARED_SAMPLES "/Referral Code 39.stp", dir.filePath("Referral Code 39.stp")));
    for (const char* name : {"Zeta.stp", "Capitals.STP", "notes.txt"})
        QFile(dir.filePath(name)).open(QIODevice::WriteOnly);

    CliRun run = Profiles(dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QStringList expected;
    for (const auto& e : std::filesystem::directory_iterator(QFile::encodeName(dir.path()).toStdString()))
        if (e.path().extension() == ".stp") expected << QFile::decodeName(e.path().stem().c_str());
    EXPECT_EQ(run.json()["profiles"].toVariant().toStringList(), expected);
    EXPECT_EQ(expected.size(), 2);

    run = Profiles(dir.path(), {"--show", "Referral Code 39"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = run.json();
    const QJsonObject profile = json["configuration"]["ProfileSettings"][0].toObject();
    EXPECT_EQ(profile["ProfileName"].toString(), "Referral Code 39");
    EXPECT_EQ(profile["Code39Ranges"]["Wide"]["To"].toInt(), 10);
    EXPECT_EQ(json["configuration"]["ScanningSettings"]["MinPageHeight"].toInt(), 270);
    EXPECT_EQ(json["barcodeType"]["Flags"].toString(), "0x40448002");
    EXPECT_EQ(json["barcodeType"]["QuadTo"].toInt(), 20);

    run = Profiles(dir.path(), {"--show", "Zeta"}); // an empty file: no profile
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.json()["barcodeType"].isNull());
    EXPECT_TRUE(run.err.contains("Barcode Profiles\\Barcode Profile:0")) << run.err.toStdString();
    EXPECT_EQ(Profiles(dir.path(), {"--show", "Gone"}).exitCode, 1);
    EXPECT_EQ(Profiles(dir.path(), {"--bogus"}).exitCode, 2);
}
