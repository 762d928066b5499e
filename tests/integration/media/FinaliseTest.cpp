#include "MediaRig.h"

#include "core/config/SetupInfo.h"
#include "core/store/ZipNames.h"

#include <QFile>
#include <gtest/gtest.h>

namespace kestrova::mediatest {
namespace {

const QString Caption = FinaliseMedia::Caption;
const QString Level = QStringLiteral("Select Verification level");

QStringList Lines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray all = f.readAll();
    EXPECT_TRUE(all.endsWith("\r\n"));
    QStringList lines = QString::fromUtf8(all).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

// A medium of n backed-up images (three zip files of up to 100, the last still waiting).
struct FinaliseRig : MediaRig {
    explicit FinaliseRig(int n, bool signing = false) : MediaRig(signing) {
        for (int i = 1; i <= n; ++i) backupImage(i, QStringLiteral("12%1").arg(i, 4, 10, QChar('0')));
    }
    // The confirmation and the percentage box.
    void start(const QString& percent) {
        prompter.expectMessage(Caption, MessageResult::Yes);
        prompter.expectInput(Level, percent);
    }
    QString summaryOnMedia() const { return backupDir + "summary/CD0001.csv"; }
};

TEST(FinaliseTest, TenPercentOf250RowsVerifiesEveryTenthAndWritesTheSummary) {
    FinaliseRig rig(250);
    rig.start("10");
    rig.prompter.expectMessage("Verify integrity");
    rig.prompter.expectMessage("Verify Media Completed.");
    FinaliseMedia& f = rig.finalise();
    f.FinalisemediaClick();
    EXPECT_TRUE(rig.prompter.allAnswered());
    EXPECT_EQ(f.SampleInterval, 10);
    EXPECT_EQ(f.CountedImages, 250);
    EXPECT_EQ(f.VerifiedImages, 25);
    EXPECT_EQ(f.FailedImages, 0);
    EXPECT_TRUE(f.Report.startsWith("Complete.\n\n  250 Images Counted. ")) << f.Report.toStdString();
    EXPECT_TRUE(rig.closed);
    EXPECT_FALSE(QFile::exists(rig.root + "CD0001.csv"));
    const QStringList lines = Lines(rig.summaryOnMedia());
    ASSERT_EQ(lines.size(), 251);
    EXPECT_EQ(lines[0], FinaliseMedia::SummaryHeader);
    for (int i = 1; i <= 250; ++i) {
        const QStringList fields = lines[i].split(',');
        ASSERT_EQ(fields.size(), 11) << lines[i].toStdString();
        EXPECT_EQ(fields[0], QString::number(i));
        EXPECT_EQ(fields[3], "2009-11-17 14:30:15");
        EXPECT_EQ(fields[4], "1899-12-30 00:00:00");
        EXPECT_EQ(fields[6], "CD0001");
        EXPECT_EQ(fields[9], "Pages 1 1 bit");
        EXPECT_EQ(fields[10], i % 10 == 0 ? "2" : "1") << i;
    }
    QStringList verified;
    for (int i = 1; i <= 250; ++i) verified << (i % 10 == 0 ? "2" : "");
    EXPECT_EQ(rig.column("Verified"), verified);
    EXPECT_FALSE(rig.station.task().AutoProcess1());
}

TEST(FinaliseTest, PercentageAnswers) {
    const QList<QPair<QString, int>> answers{{"0", 0}, {"101", 101}, {"-3", -3},   {"abc", 5},
                                             {"", 5},  {"50.9", 50}, {"12.5", 12}, {"100", 100}};
    for (const auto& [text, value] : answers) EXPECT_EQ(FinaliseMedia::PercentOf(text), value) << text.toStdString();
    const QList<QPair<int, int>> intervals{{100, 1}, {5, 20}, {30, 3}, {1, 100}, {10, 10}};
    for (const auto& [percent, interval] : intervals)
        EXPECT_EQ(FinaliseMedia::SampleIntervalFor(250, percent), interval);

    // Refused values are asked again, each the default of the next box; then no rows for the
    // medium: the verify utility question, answered Yes.
    MediaRig rig;
    rig.prompter.expectMessage(Caption, MessageResult::Yes);
    for (const char* answer : {"0", "101", "-3", "50.9"}) rig.prompter.expectInput(Level, answer);
    rig.prompter.expectMessage(Caption, MessageResult::Yes);
    // The utility is started from the program directory when it is there, else from beside the
    // running program (an installed package).
    QFile utility(rig.root + "reloadfmcd");
    ASSERT_TRUE(utility.open(QIODevice::WriteOnly));
    utility.close();
    utility.setPermissions(utility.permissions() | QFileDevice::ExeOwner);
    rig.finalise().FinalisemediaClick();
    EXPECT_TRUE(rig.prompter.allAnswered());
    QStringList defaults;
    for (const auto& s : rig.prompter.shown())
        if (s.caption == Level) defaults << s.defaultText;
    EXPECT_EQ(defaults, QStringList({"1", "0", "101", "-3"}));
    EXPECT_TRUE(rig.prompter.shown().back().text.startsWith("No Images for this Media found in the database."));
    EXPECT_EQ(rig.started, QStringList{rig.root + "reloadfmcd /v " + rig.backupDir});
    EXPECT_FALSE(rig.finalise().running());
    EXPECT_FALSE(rig.closed);
}

TEST(FinaliseTest, NoLabelOnTheBackupDriveStopsAtOnce) {
    MediaRig rig;
    rig.volumes.setDrive(rig.backupDir, 500, QString());
    rig.prompter.expectMessage(Caption);
    rig.finalise().FinalisemediaClick();
    EXPECT_TRUE(rig.prompter.allAnswered());
    EXPECT_EQ(rig.prompter.shown().back().text, "No Media is loaded.");
    EXPECT_EQ(rig.prompter.shown().size(), 1u);
}

TEST(FinaliseTest, MissingZipThatCannotBeRebuiltGivesCode3AndLeavesVerified) {
    MediaRig rig;
    rig.addRow({7, "12Q", "REQS1A", "12~09-11-17 143015 123", "CD0001"});
    rig.prompter.expectMessage(Caption, MessageResult::Yes);
    rig.prompter.expectInput(Level, "100");
    rig.prompter.expectMessage(QString()); // the extraction's error
    rig.prompter.expectMessage("Verify integrity");
    rig.prompter.expectMessage("Verify Media Completed.");
    rig.finalise().FinalisemediaClick();
    EXPECT_TRUE(rig.prompter.allAnswered());
    EXPECT_TRUE(rig.prompter.shown()[2].text.startsWith("ERROR: Archive "))
        << rig.prompter.shown()[2].text.toStdString();
    EXPECT_TRUE(rig.prompter.shown()[2].text.endsWith(" not found."));
    EXPECT_EQ(rig.finalise().FailedImages, 1);
    EXPECT_TRUE(Lines(rig.backupDir + "summary/CD0001.csv").value(1).endsWith(",3"));
    EXPECT_EQ(rig.column("Verified"), QStringList{QString()});
}

TEST(FinaliseTest, StopAfter35RowsEndsAfterRow40) {
    FinaliseRig rig(60);
    rig.start("100");
    rig.prompter.expectMessage("Verify integrity");
    FinaliseMedia& f = rig.finalise();
    // The click on "Stop &Finalising" is handled when the walk next lets messages run.
    rig.station.setMessagePump([&] {
        if (f.CountedImages >= 35) f.FinalisemediaClick();
    });
    f.FinalisemediaClick();
    EXPECT_TRUE(rig.prompter.allAnswered());
    EXPECT_EQ(f.CountedImages, 40);
    EXPECT_TRUE(f.Report.startsWith("Aborted.\n  40 Images Counted.")) << f.Report.toStdString();
    EXPECT_EQ(Lines(rig.root + "CD0001.csv").size(), 41);
    EXPECT_FALSE(QFile::exists(rig.summaryOnMedia()));
    EXPECT_FALSE(rig.closed);
    EXPECT_FALSE(f.running());
}

TEST(FinaliseTest, TimeTexts) {
    EXPECT_EQ(FinaliseMedia::ElapsedText(3600), "60 mins, 0 secs.");
    EXPECT_EQ(FinaliseMedia::ElapsedText(3602), "1 hrs, 0 mins, 2 secs.");
    EXPECT_EQ(FinaliseMedia::ElapsedText(61), "1 mins, 1 secs.");
    EXPECT_EQ(FinaliseMedia::ElapsedText(60), "0 secs.");
    EXPECT_EQ(FinaliseMedia::ElapsedText(3601), "60 mins, 1 secs.");
    // Early in a run the estimate may be empty; later it has minutes, then seconds.
    EXPECT_EQ(FinaliseMedia::ProgressText(10, 250, 2.0), "Verifying Media Integrity - (10 of 250) remaining.");
    EXPECT_EQ(FinaliseMedia::ProgressText(10, 250, 10.0), "Verifying Media Integrity - (10 of 250) 4 mins remaining.");
    EXPECT_EQ(FinaliseMedia::ProgressText(100, 250, 100.0),
              "Verifying Media Integrity - (100 of 250) 2 mins 30 secs remaining.");
}

} // namespace
} // namespace kestrova::mediatest
