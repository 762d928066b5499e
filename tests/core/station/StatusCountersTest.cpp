#include "StatusFixture.h"
#include "core/db/DbTestSupport.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace kestrova;
using namespace kestrova::test;

TEST_F(StatusTest, FileCountersCountPlainFilesOfTheirPatterns) {
    s.touch(SlotScan, "a.bmp");
    s.touch(SlotScan, "B.BMP");
    s.touch(SlotScan, "qvimageset.tif"); // the image set is not a scanned image
    QDir().mkpath(s.dir(SlotScan) + "folder.bmp");
    s.touch(SlotDecoded, "1~REQS100001.tif");
    s.touch(SlotDecoded, "2~REQS100002.bmp");
    s.touch(SlotDecoded, "2~REQS100002.scn");
    s.touch(SlotRemoteDecoded, "3~REQS200001.tif");
    s.touch(SlotRemoteDecoded, "3~REQS200002.bmp");

    station.RefreshStatus();
    EXPECT_EQ(s.ui().ScannedWaitingLabel, "2");
    EXPECT_EQ(s.ui().DecodedWaitingLabel, "2");
    EXPECT_EQ(s.ui().ProblemGrpLabel, "0");
    EXPECT_EQ(s.ui().ProblemGrpLabelColour, LabelColour::WindowText);

    // A scan server also counts the TIFF files its remote scanners dropped into slot 4.
    station.editSetup().SetupInfo.StationMode = ModeScanServer;
    station.RefreshStatus();
    EXPECT_EQ(s.ui().DecodedWaitingLabel, "3");

    // A slot 4 that is switched off adds nothing (it never lists the working directory).
    station.editSetup().SetupInfo.Directories[SlotRemoteDecoded] = DriveDisabled;
    station.RefreshStatus();
    EXPECT_EQ(s.ui().DecodedWaitingLabel, "2");
    station.editSetup().SetupInfo.Directories[SlotRemoteDecoded].clear();
    station.RefreshStatus();
    EXPECT_EQ(s.ui().DecodedWaitingLabel, "2");
}

TEST_F(StatusTest, ProblemsCounterIsRedUnlessItShowsZero) {
    s.touch(SlotProblems, "20261208140500.tif");
    s.touch(SlotProblems, "20261208140500.scn");
    s.touch(SlotProblems, "20261208140501.bmp");
    station.RefreshStatus();
    EXPECT_EQ(s.ui().ProblemGrpLabel, "2");
    EXPECT_EQ(s.ui().ProblemGrpLabelColour, LabelColour::Red);

    QDir(s.dir(SlotProblems)).removeRecursively(); // a missing directory is no empty one
    station.RefreshStatus();
    EXPECT_EQ(s.ui().ProblemGrpLabel, "MISSING");
    EXPECT_EQ(s.ui().ProblemGrpLabelColour, LabelColour::Red);

    QDir().mkpath(s.dir(SlotProblems));
    station.RefreshStatus();
    EXPECT_EQ(s.ui().ProblemGrpLabel, "0");
    EXPECT_EQ(s.ui().ProblemGrpLabelColour, LabelColour::WindowText);
}

// Directories taken away under a running station, as an operator or a failed mount would: each
// counter says so, the event log names each directory once when it goes and once when it is back.
TEST_F(StatusTest, MissingDirectoriesShowOnTheCountersAndAreLoggedOncePerChange) {
    const QString missing = QStringLiteral("Directory missing: the %1 %2 does not exist.");
    const QString found = QStringLiteral("Directory found: the %1 %2 exists again.");
    const std::vector<std::pair<int, QString>> gone = {{SlotScan, "scan directory"},
                                                       {SlotDecoded, "decoded directory"},
                                                       {SlotRemoteDecoded, "remote scanner decoded directory"},
                                                       {SlotImageStore, "image store directory"}};
    for (const auto& [slot, role] : gone) QDir(s.dir(slot)).removeRecursively();
    QFile(s.dir(SlotRemoteDecoded).chopped(1)).open(QIODevice::WriteOnly); // a file is no directory
    station.RefreshStatus();
    station.RefreshStatus(); // the timer refreshes twice a tick
    EXPECT_EQ(s.ui().ScannedWaitingLabel, "MISSING");
    EXPECT_EQ(s.ui().ScannedWaitingLabelColour, LabelColour::Red);
    EXPECT_EQ(s.ui().ScannedWaitingLabelHint, "The scan directory " + s.dir(SlotScan) + " is missing.");
    EXPECT_EQ(s.ui().DecodedWaitingLabel, "MISSING");
    EXPECT_EQ(s.ui().DecodedWaitingLabelColour, LabelColour::Red);
    EXPECT_EQ(s.ui().ProblemGrpLabel, "0");
    EXPECT_TRUE(s.ui().ProblemGrpLabelHint.isEmpty());
    EXPECT_EQ(s.ui().ImagesDrivelabel, "DISCONNECTED");
    EXPECT_EQ(s.ui().ImagesDrivelabelColour, LabelColour::Red);
    QList<MissingDirectory> expected;
    for (const auto& [slot, role] : gone) {
        expected.append({slot, s.dir(slot)});
        EXPECT_EQ(s.logged(missing.arg(role, s.dir(slot))), 1) << role.toStdString();
    }
    EXPECT_EQ(s.monitor->missingDirectories(), expected);
    EXPECT_EQ(MissingDirectories(station.setup().SetupInfo, WorkingDirectorySlots), expected);

    // The decoded directory is back; a scan server still misses its remote scanners' directory.
    QDir().mkpath(s.dir(SlotDecoded));
    s.touch(SlotDecoded, "1~REQS100001.tif");
    s.touch(SlotDecoded, "2~REQS100002.bmp");
    station.editSetup().SetupInfo.StationMode = ModeScanServer;
    station.RefreshStatus();
    EXPECT_EQ(s.ui().DecodedWaitingLabel, "MISSING");
    EXPECT_EQ(s.ui().DecodedWaitingLabelHint,
              "The remote scanner decoded directory " + s.dir(SlotRemoteDecoded) + " is missing.");
    station.editSetup().SetupInfo.StationMode = ModeSingle; // only a scan server counts slot 4
    station.RefreshStatus();
    EXPECT_EQ(s.ui().DecodedWaitingLabel, "2");
    EXPECT_EQ(s.ui().DecodedWaitingLabelColour, LabelColour::WindowText);
    EXPECT_TRUE(s.ui().DecodedWaitingLabelHint.isEmpty());
    EXPECT_EQ(s.logged(found.arg("decoded directory", s.dir(SlotDecoded))), 1);

    QFile::remove(s.dir(SlotRemoteDecoded).chopped(1));
    for (const auto& [slot, role] : gone) QDir().mkpath(s.dir(slot));
    const qsizetype before = station.eventLog().lines().size();
    station.RefreshStatus();
    station.RefreshStatus();
    EXPECT_EQ(station.eventLog().lines().size(), before + 3) << "scan, remote and store are back";
    for (const auto& [slot, role] : gone) EXPECT_EQ(s.logged(found.arg(role, s.dir(slot))), 1) << role.toStdString();
    EXPECT_TRUE(s.monitor->missingDirectories().isEmpty());
    EXPECT_EQ(s.ui().ScannedWaitingLabel, "0");
    EXPECT_EQ(s.ui().ScannedWaitingLabelColour, LabelColour::WindowText);
    EXPECT_TRUE(s.ui().ImagesBarVisible);

    // Slots that are switched off or were never set are not missing.
    station.editSetup().SetupInfo.Directories[SlotScan] = DriveDisabled;
    station.editSetup().SetupInfo.Directories[SlotRemoteDecoded].clear();
    EXPECT_TRUE(MissingDirectories(station.setup().SetupInfo, WorkingDirectorySlots).isEmpty());
}

TEST(StatusCountFiles, ReadsTheCountOfTheListing) {
    TempStation t;
    EXPECT_EQ(CountFiles(DriveDisabled, "*.tif"), 0);
    EXPECT_EQ(CountFiles(QString(), "*.tif"), 0);
    EXPECT_EQ(CountFiles(t.path("missing/"), "*.tif"), 0);
    for (const char* name : {"a.tif", "b.TIF", "c.tiff", "d.bmp"}) QFile(t.path(name)).open(QIODevice::WriteOnly);
    EXPECT_EQ(CountFiles(t.dir.path() + "/", "*.tif"), 2);
}

// The database counters on a real image database of each engine.
class StatusDatabaseTest : public ::testing::TestWithParam<DbEngine> {
public:
    DbStation db{GetParam()};
    std::unique_ptr<StatusStation> s;

    void SetUp() override {
        KESTROVA_NEED_DB(db);
        s = std::make_unique<StatusStation>(db.temp(), &db.db());
    }
    Station& station() { return db.station(); }

    // count rows awaiting backup, zipped and waiting, backed up awaiting the LIS, taken by the LIS.
    void addRows(int awaiting, int zipped, int backedUp, int taken) {
        int seq = 1;
        for (int i = 0; i < awaiting; ++i, ++seq) InsertImage(db.db(), seq, "R" + QString::number(seq), "REQ");
        for (int i = 0; i < zipped; ++i) {
            InsertImage(db.db(), seq, "R" + QString::number(seq), "REQ");
            Exec(db.db(), QString("update ImageData set ZipName = \"0001.zip\" where SeqNumber = %1").arg(seq++));
        }
        for (int i = 0; i < backedUp + taken; ++i) {
            InsertImage(db.db(), seq, "R" + QString::number(seq), "REQ", 45000.5, i >= backedUp);
            markBackedUp(seq++);
        }
    }

    // Takes the table away behind the station's back, as a broken or replaced database would.
    void rename(const QString& from, const QString& to) {
        QSqlQuery q(db.db().Database1());
        ASSERT_TRUE(q.exec("alter table " + from + " rename to " + to)) << q.lastError().text().toStdString();
    }

    void markBackedUp(int seq) {
        DataQuery& q = db.db().AdminQuery;
        q.close();
        q.unprepare();
        q.setSQL("update ImageData set CDWriteTime = :QCDWriteTime, ZipName = \"0001.zip\", CDLabel = \"CD0001\" "
                 "where SeqNumber = :QSeqNumber");
        q.setParamDateTime("QCDWriteTime", 46000.5);
        q.setParamInteger("QSeqNumber", seq);
        ASSERT_TRUE(q.prepare() && q.execSQL()) << q.errorText().toStdString();
    }
};

TEST_P(StatusDatabaseTest, AwaitingBackupCountsRowsWithoutBackupTimeAndRemoteIncludesZippedRows) {
    addRows(3, 2, 4, 1);
    station().RefreshStatus();
    EXPECT_EQ(s->ui().CDGroupLabel, "3");

    station().editSetup().SetupInfo.StationMode = ModeRemote;
    station().RefreshStatus();
    EXPECT_EQ(s->ui().CDGroupLabel, "5");

    // With the backup destination switched off the (hidden) counter is left alone.
    station().editSetup().SetupInfo.Directories[SlotBackup] = DriveDisabled;
    s->ui().CDGroupLabel = "-";
    station().RefreshStatus();
    EXPECT_EQ(s->ui().CDGroupLabel, "-");
}

TEST_P(StatusDatabaseTest, AwaitingLisTurnsRedFrom26RowsAndOnlyCountsWhileShown) {
    addRows(1, 0, 25, 3); // 25 backed up and not taken; zipped rows count too (below)
    s->ui().SystemLabel = "0";
    station().RefreshStatus();
    EXPECT_EQ(s->ui().SystemLabel, "0") << "the group is hidden";

    s->ui().ServerGroupVisible = true;
    station().RefreshStatus();
    EXPECT_EQ(s->ui().SystemLabel, "25");
    EXPECT_EQ(s->ui().SystemLabelColour, LabelColour::WindowText);

    InsertImage(db.db(), 100, "R100", "REQ");
    Exec(db.db(), "update ImageData set ZipName = \"0002.zip\" where SeqNumber = 100");
    station().RefreshStatus();
    EXPECT_EQ(s->ui().SystemLabel, "26");
    EXPECT_EQ(s->ui().SystemLabelColour, LabelColour::Red);
}

TEST_P(StatusDatabaseTest, DatabaseErrorsShowTheirMessagesAndTheCountersRecover) {
    addRows(2, 0, 1, 0);
    s->ui().ServerGroupVisible = true;
    rename("ImageData", "ImageDataGone");
    auto& prompter = db.temp().prompter;
    for (int refresh = 0; refresh < 2; ++refresh) {
        prompter.expectMessage(QString());
        station().RefreshStatus();
        ASSERT_TRUE(prompter.allAnswered());
        EXPECT_TRUE(prompter.shown().back().text.startsWith("Database Open"))
            << prompter.shown().back().text.toStdString();
        EXPECT_EQ(s->ui().CDGroupLabel, "0");
        EXPECT_EQ(s->ui().SystemLabel, "ERR");
        EXPECT_EQ(s->ui().SystemLabelColour, LabelColour::Red);
    }
    int errors = 0;
    for (const QString& line : station().eventLog().lines()) errors += line.contains(" +LIS Query error:");
    EXPECT_EQ(errors, 2);

    rename("ImageDataGone", "ImageData");
    station().RefreshStatus();
    EXPECT_EQ(s->ui().CDGroupLabel, "2");
    EXPECT_EQ(s->ui().SystemLabel, "1");
    EXPECT_EQ(s->ui().SystemLabelColour, LabelColour::WindowText);
}

INSTANTIATE_TEST_SUITE_P(Engines, StatusDatabaseTest, ::testing::Values(DbEngine::SQLite, DbEngine::PostgreSQL),
                         EngineName);
