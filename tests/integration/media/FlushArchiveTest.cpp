#include "MediaRig.h"

#include "core/config/SetupInfo.h"
#include "core/store/ZipNames.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace kestrova::mediatest {
namespace {

// --- commit of the waiting zip files ---------------------------------------------------------

TEST(CommitWaitingZipFilesTest, ZipFilesOf37And1EntriesMoveAndTheirRowsAreLabelled) {
    MediaRig rig;
    QString zip12, zip13;
    for (int i = 0; i < 37; ++i) zip12 = rig.backupImage(i + 1, QStringLiteral("12%1").arg(i, 3, 10, QChar('0')));
    rig.clock.advanceMs(1000);
    zip13 = rig.backupImage(100, QStringLiteral("13X"));
    // A commit stopped after the move: the file is whole on the medium, only the rows are labelled.
    QDir().mkpath(rig.backupDir + "15");
    rig.makeZip(rig.backupDir + "15/15~09-11-17 143015 123.zip", {{"15A~REQS1A.tif", "image"}});
    rig.addRow({150, "15A", "REQS1A", "15~09-11-17 143015 123", QString(), false});
    // A zip name whose local file has gone: logged, its rows stay unlabelled.
    rig.addRow({200, "14A", "REQS1A", "14~09-11-17 143015 123", QString(), false});

    const CommitSummary summary = CommitWaitingZipFiles(rig.station, rig.media);
    EXPECT_EQ(summary.committed, 3);
    EXPECT_EQ(summary.failed, 1);
    EXPECT_EQ(rig.entries(rig.backupDir + "12/" + zip12 + ".zip").size(), 37);
    EXPECT_EQ(rig.entries(rig.backupDir + "13/" + zip13 + ".zip"), QStringList{"13X~REQS1A.tif"});
    EXPECT_EQ(rig.files(rig.zipFolder()), QStringList());
    EXPECT_EQ(rig.column("CDLabel"), QStringList(39, "CD0001") << QString());
    EXPECT_EQ(rig.count("ImageData", "where SentToSystem = false and CDWriteTime is not null"), 39);
    // One write time per zip file.
    QStringList times = rig.column("CDWriteTime", "ImageData", "where ZipName = \"" + zip12 + "\"");
    times.removeDuplicates();
    EXPECT_EQ(times.size(), 1);
    EXPECT_TRUE(rig.log().contains("Unable to write ZipFile " + rig.zipFolder() +
                                   "14~09-11-17 143015 123.zip to disc media. Images not included on this media"))
        << rig.log().join('\n').toStdString();
    // Nothing waits any more but the missing one: a second commit changes nothing else.
    EXPECT_EQ(CommitWaitingZipFiles(rig.station, rig.media).committed, 0);
}

// --- archive of the image database -----------------------------------------------------------

struct ArchiveCase {
    const char* name;
    QList<QPair<QString, QList<int>>> media; // label (empty: none) and its rows' sequence numbers
    std::uint8_t mode;
    int threshold; // expected LowSeqNum; -1: "Nothing to Archive!"
    QList<int> archived;
};

class ArchiveTest : public ::testing::TestWithParam<ArchiveCase> {};

TEST_P(ArchiveTest, RowsBelowTheThresholdMove) {
    const ArchiveCase& c = GetParam();
    MediaRig rig;
    rig.station.editSetup().SetupInfo.StationMode = c.mode;
    // Every row is written at the rig's scan time: ten days before now.
    rig.clock.set(rig.scanTime.addDays(10));
    for (const auto& [label, seqs] : c.media) {
        for (int seq : seqs) {
            const QString req = QStringLiteral("R%1").arg(seq);
            rig.addRow({seq, req, "REQS1A", "Z", label, !label.isEmpty()});
            rig.local(req + "~REQS1A.tif");
            rig.local(req + "~REQS1A.bmp");
        }
    }
    if (c.threshold < 0) rig.prompter.expectMessage(ArchiveCaption);
    DatabaseArchive archive(rig.station);
    const ArchiveOutcome outcome = archive.ArchiveDatabaseClick();
    EXPECT_TRUE(rig.prompter.allAnswered());
    EXPECT_EQ(outcome.moved, c.threshold >= 0) << outcome.error.toStdString();
    if (c.threshold >= 0) {
        EXPECT_EQ(outcome.LowSeqNum, c.threshold);
    }
    QStringList archived;
    for (int seq : c.archived) archived << QString::number(seq);
    EXPECT_EQ(rig.column("SeqNumber", "ImageArchive"), archived);
    for (const auto& [label, seqs] : c.media) {
        for (int seq : seqs) {
            const QString req = rig.localDir + QStringLiteral("R%1~REQS1A").arg(seq);
            const bool moved = c.archived.contains(seq);
            EXPECT_EQ(rig.count("ImageData", QStringLiteral("where SeqNumber = %1").arg(seq)), moved ? 0 : 1) << seq;
            // Only the ".tif" copy of a moved row goes.
            EXPECT_EQ(QFile::exists(req + ".tif"), !moved) << seq;
            EXPECT_TRUE(QFile::exists(req + ".bmp")) << seq;
        }
    }
}

const QList<int> Low{1, 2, 3};
INSTANTIATE_TEST_SUITE_P(
    Rules, ArchiveTest,
    ::testing::Values(
        ArchiveCase{"ThreeMedia", {{"CD1", {1, 2, 3}}, {"CD2", {500, 501}}, {"CD3", {900}}}, ModeSingle, 500, Low},
        ArchiveCase{"TwoMedia", {{"CD1", {1, 2}}, {"CD2", {500}}}, ModeSingle, -1, {}},
        ArchiveCase{"OneMediumAndUnwritten", {{"CD1", {1, 2}}, {"", {500}}}, ModeSingle, -1, {}},
        // The unlabelled rows form the empty label (minimum 0, dropped first); rows below the
        // threshold that are on no medium stay.
        ArchiveCase{
            "EmptyLabel", {{"", {1, 2}}, {"CD1", {3, 4}}, {"CD2", {500}}, {"CD3", {900}}}, ModeSingle, 500, {3, 4}},
        ArchiveCase{"DeletedIsALabel", {{"CD1", {1, 2}}, {"Deleted", {300}}, {"CD2", {500}}}, ModeSingle, 300, {1, 2}},
        ArchiveCase{"QuoteInLabel", {{"CD\"1", {1, 2, 3}}, {"CD2", {500, 501}}, {"CD3", {900}}}, ModeSingle, 500, Low},
        // Nothing written more than 30 days ago: the minimum of no rows is 0.
        ArchiveCase{"RemoteRecent", {{"CD1", {1, 2}}, {"CD2", {500}}, {"CD3", {900}}}, ModeRemote, 0, {}},
        ArchiveCase{"EmptyDatabase", {}, ModeSingle, -1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ArchiveTransactionTest, RemovalFailingPartWayLeavesBothTablesAsBefore) {
    MediaRig rig;
    for (int seq = 1; seq <= 20; ++seq) rig.addRow({seq, QStringLiteral("R%1").arg(seq), "REQS1A", "Z", "CD1"});
    rig.addRow({500, "R500", "REQS1A", "Z", "CD2"});
    rig.addRow({900, "R900", "REQS1A", "Z", "CD3"});
    for (int seq = 1; seq <= 20; ++seq) rig.local(QStringLiteral("R%1~REQS1A.tif").arg(seq));
    QSqlQuery trigger(rig.db->Database1());
    ASSERT_TRUE(trigger.exec("create trigger refuse_tenth before delete on ImageData when old.SeqNumber = 10 "
                             "begin select raise(abort, 'row 10 is held'); end"))
        << trigger.lastError().text().toStdString();

    DatabaseArchive archive(rig.station);
    const ArchiveOutcome outcome = archive.ArchiveDatabaseClick();
    EXPECT_FALSE(outcome.moved);
    EXPECT_TRUE(outcome.error.contains("row 10 is held")) << outcome.error.toStdString();
    EXPECT_EQ(rig.count("ImageData"), 22);
    EXPECT_EQ(rig.count("ImageArchive"), 0);
    for (int seq = 1; seq <= 20; ++seq)
        EXPECT_TRUE(QFile::exists(rig.localDir + QStringLiteral("R%1~REQS1A.tif").arg(seq)));

    // Once the hold is gone the same run moves all twenty.
    ASSERT_TRUE(trigger.exec("drop trigger refuse_tenth"));
    EXPECT_EQ(archive.ArchiveDatabaseClick().rows, 20);
    EXPECT_EQ(rig.count("ImageData"), 2);
    EXPECT_EQ(rig.count("ImageArchive"), 20);
}

} // namespace
} // namespace kestrova::mediatest
