// Every statement text the station sends, run through the dialect layer on both engines, in the
// order a batch of images meets them: convert, backup, LIS, commit, finalise, console, deletion
// and archive.
#include "DbTestSupport.h"

#include "core/db/DbValues.h"

using namespace kestrova;
using namespace kestrova::test;

namespace {

enum class Kind { Text, Integer, DateTime, YesNo, DateAt };
struct Param {
    const char* name; // for DateAt: the position of the parameter
    Kind kind;
    const char* value;
};
enum class Expect { Rows, Affected, Field };
struct Step {
    QStringList sql;
    std::vector<Param> params;
    Expect expect;
    const char* field; // for Field: the field to read, for Rows: nothing
    const char* value; // rows or affected count, or the field's text in the first row
};

const QString Insert = "insert into Imagedata (SeqNumber, ReqID, DocDefn, Scantime, ViewTime, SentToSystem )"
                       " values ( :QSeqNumber, :QReqID, :QDocDefn, :QScantime, :QViewTime, :QSenttoSystem)";
const QString RemoteWrite = "Update ImageData Set CDWriteTime = :QCDWriteTime, SentToSystem = :QCSentToSystem, "
                            "CDLabel = :QCDlabel, ZipName = :QZipName where SeqNumber = :QSeqNumber";
const QString MediaWrite = "Update ImageData Set CDWriteTime = :QCDWriteTime, SentToSystem = :QCSentToSystem, "
                           "CDLabel = :QCDlabel where Zipname = :QZipName";
const QString ZipWrite = "Update ImageData Set ZipName = :QZipname where SeqNumber = :QSeqNum";
const QString Archive =
    "INSERT INTO ImageArchive (SeqNumber, DocDefn, ReqID, ScanTime,   ViewTime, CDWriteTime, CDLabel, SentToSystem, "
    "BarcodeData, ImageInfo, Verified, ZipName, Replicated) SELECT SeqNumber, DocDefn, ReqID, ScanTime, ViewTime, "
    "CDWriteTime,  CDLabel, SentToSystem, BarcodeData, ImageInfo, Verified, ZipName, Replicated FROM imagedata WHERE "
    "imagedata.SeqNumber < :LowSeqNum";

// The console sends its lines joined by blanks with one more blank at the end.
QStringList Console(const QStringList& lines) {
    return {lines.join(' ') + ' '};
}

Step InsertRow(const char* seq, const char* req, const char* doc) {
    return {{Insert},
            {{"QSeqNumber", Kind::Integer, seq},
             {"QReqID", Kind::Text, req},
             {"QDocDefn", Kind::Text, doc},
             {"QScanTime", Kind::DateTime, "2004-12-01 10:30:00"},
             {"QViewTime", Kind::DateTime, "2004-12-01 10:31:00.250"},
             {"QSenttoSystem", Kind::YesNo, "false"}},
            Expect::Affected,
            nullptr,
            "1"};
}

std::vector<Step> Road() {
    return {
        InsertRow("1", "12345", "REQS10A001"),
        InsertRow("2", "12345", "LABS10B002"),
        InsertRow("3", "23456", "REQS10C003"),
        InsertRow("4", "34567", "REQS10D004"),
        InsertRow("5", "45678", "REQS10E005"),
        InsertRow("6", "56789", "REQS10F006"),
        {{"select * from NextSeq"}, {}, Expect::Field, "NextSeqNum", "7"},
        {{"select count(SeqNumber) as BKPCount from ImageData where CdwriteTime is null"},
         {},
         Expect::Field,
         "BkpCount",
         "6"},
        {{"Select SeqNumber, ReqID, DocDefn, ScanTime from ImageData", "where CDWriteTime is null and Zipname is Null"},
         {},
         Expect::Field,
         "ScanTime",
         "2004-12-01 10:30:00"},
        {{ZipWrite},
         {{"QZipname", Kind::Text, "12~20041201"}, {"QSeqNum", Kind::Integer, "1"}},
         Expect::Affected,
         nullptr,
         "1"},
        {{ZipWrite},
         {{"QZipname", Kind::Text, "12~20041201"}, {"QSeqNum", Kind::Integer, "2"}},
         Expect::Affected,
         nullptr,
         "1"},
        {{ZipWrite},
         {{"QZipname", Kind::Text, "23~20041201"}, {"QSeqNum", Kind::Integer, "3"}},
         Expect::Affected,
         nullptr,
         "1"},
        {{ZipWrite},
         {{"QZipname", Kind::Text, "34~20041201"}, {"QSeqNum", Kind::Integer, "4"}},
         Expect::Affected,
         nullptr,
         "1"},
        {{"select count(SeqNumber) as BKPCount from ImageData where CdwriteTime is null and ZipName is null"},
         {},
         Expect::Field,
         "BKPCount",
         "2"},
        {{RemoteWrite},
         {{"QCDWriteTime", Kind::DateTime, "2004-12-02 08:00:00"},
          {"QCSentToSystem", Kind::YesNo, "true"},
          {"QCDlabel", Kind::Text, "Scan Server"},
          {"QZipname", Kind::Text, "NA"},
          {"QSeqNumber", Kind::Integer, "5"}},
         Expect::Affected,
         nullptr,
         "1"},
        {{MediaWrite},
         {{"QCDWriteTime", Kind::DateTime, "2004-12-02 09:00:00"},
          {"QCSentToSystem", Kind::YesNo, "false"},
          {"QCDlabel", Kind::Text, "CD0001"},
          {"QZipname", Kind::Text, "12~20041201"}},
         Expect::Affected,
         nullptr,
         "2"},
        {{"select count(reqid) as wLIS from ImageData",
          "where ((cdwritetime is not null) or (ZipName is not null)) and", "SentToSystem = false"},
         {},
         Expect::Field,
         "wLIS",
         "4"},
        {{"select distinct zipname from imagedata where cdlabel is null and zipname is not null"},
         {},
         Expect::Rows,
         nullptr,
         "2"},
        {{MediaWrite},
         {{"QCDWriteTime", Kind::DateTime, "2004-12-03 09:00:00"},
          {"QCSentToSystem", Kind::YesNo, "false"},
          {"QCDlabel", Kind::Text, "CD0002"},
          {"QZipname", Kind::Text, "23~20041201"}},
         Expect::Affected,
         nullptr,
         "1"},
        {{"select *   ", "from Imagedata     ", "where ZipName = :QZipName"},
         {{"QZipName", Kind::Text, "12~20041201"}},
         Expect::Rows,
         nullptr,
         "2"},
        {{"Select count(SeqNumber) as CDCount from imagedata  where CDLabel = :QCDLabel"},
         {{"QCDLabel", Kind::Text, "cd0001"}},
         Expect::Field,
         "CDCount",
         "2"},
        {{"select * from Imagedata where cdlabel = :QCDLabel"},
         {{"QCDLabel", Kind::Text, "CD0001"}},
         Expect::Field,
         "CDWriteTime",
         "2004-12-02 09:00:00"},
        {{"update imagedata set Verified = :QVerified where SeqNumber = :QSeqNumber"},
         {{"QVerified", Kind::Integer, "2"}, {"QSeqNumber", Kind::Integer, "1"}},
         Expect::Affected,
         nullptr,
         "1"},
        {{"select Verified, SentToSystem from ImageData where SeqNumber = 1"}, {}, Expect::Field, "Verified", "2"},
        {{"select Verified, SentToSystem from ImageData where SeqNumber = 5"},
         {},
         Expect::Field,
         "SentToSystem",
         "True"},
        // The query console's canned statements, marks answered (custom update first, for the memo search).
        {Console({"update ImageData set ImageInfo = \"Has ABC inside\" where SeqNumber = 3"}),
         {},
         Expect::Affected,
         nullptr,
         "1"},
        {Console({"Select *", "from ImageData"}), {}, Expect::Rows, nullptr, "6"},
        {Console({"Select *", "from ImageData", "where CDLabel = \"CD0001\""}), {}, Expect::Rows, nullptr, "2"},
        {Console({"Select *", "from ImageArchive"}), {}, Expect::Rows, nullptr, "0"},
        {Console({"select *", "from ImageData", "where ReqID = \"12345\""}), {}, Expect::Rows, nullptr, "2"},
        {Console({"select distinct CDLabel as Media_Name", "from ImageData", "where CDLabel <> \"Deleted\""}),
         {},
         Expect::Rows,
         nullptr,
         "3"},
        {Console({"select *", "from ImageArchive", "where CDLabel = \"CD0001\""}), {}, Expect::Rows, nullptr, "0"},
        {Console({"select *", "from ImageData", "where scantime > :Date_A and ", "scantime < :Date_B",
                  "order by ScanTime"}),
         {{"0", Kind::DateAt, "2004-12-01 10:29:59"}, {"1", Kind::DateAt, "2004-12-01 10:30:01"}},
         Expect::Rows,
         nullptr,
         "6"},
        {Console({"select *", "from ImageData", "where reqid like \"1234*\""}), {}, Expect::Rows, nullptr, "2"},
        {Console({"select *", "from ImageData", "where ImageInfo like \"*abc*\""}),
         {},
         Expect::Field,
         "SeqNumber",
         "3"},
        {Console({"select *", "from ImageData", "where Zipname like \"12~*\""}), {}, Expect::Rows, nullptr, "2"},
        {Console({"select ZipName", "from ImageData", "where Reqid like \"1234*\""}),
         {},
         Expect::Field,
         "ZipName",
         "12~20041201"},
        {Console({"select * from ImageData where ScanTime > [2004-12-01 10:29] and ScanTime < [2004-12-01 10:31]"}),
         {},
         Expect::Rows,
         nullptr,
         "6"},
        // Record deletion.
        {{"select ZipName from Imagedata", "where ReqID = :QReqId and DocDefn = :QDocDefn"},
         {{"QReqID", Kind::Text, "12345"}, {"QDocDefn", Kind::Text, "REQS10A001"}},
         Expect::Field,
         "Zipname",
         "12~20041201"},
        {{"Update Imagedata",
          "set CDLabel = \"Deleted\", SentToSystem = True where ReqID = :QReqId and DocDefn = :QDocDefn"},
         {{"QReqID", Kind::Text, "12345"}, {"QDocDefn", Kind::Text, "REQS10A001"}},
         Expect::Affected,
         nullptr,
         "1"},
        {{"Update ImageArchive",
          "set CDLabel = \"Deleted\", SentToSystem = True where ReqID = :QReqId and DocDefn = :QDocDefn"},
         {{"QReqID", Kind::Text, "12345"}, {"QDocDefn", Kind::Text, "REQS10A001"}},
         Expect::Affected,
         nullptr,
         "0"},
        // Archiving.
        {{"select distinct CDLabel from ImageData"}, {}, Expect::Rows, nullptr, "5"},
        {{"select min(SeqNumber) as LowSeqNum from ImageData where cdlabel = \"CD0002\""},
         {},
         Expect::Field,
         "LowSeqNum",
         "3"},
        {{"select min(SeqNumber) as LowSeqNum from ImageData where cdlabel = \"\""},
         {},
         Expect::Field,
         "LowSeqNum",
         ""},
        {{"select min(SeqNumber) as LowSeqNum from ImageData where CDWriteTime < :CDTime"},
         {{"CDTime", Kind::DateTime, "2004-12-02 08:30:00"}},
         Expect::Field,
         "LowSeqNum",
         "5"},
        {{"select ReqId, DocDefn from ImageData where SeqNumber < :LowSeqNum"},
         {{"LowSeqNum", Kind::Integer, "3"}},
         Expect::Rows,
         nullptr,
         "2"},
        {{Archive}, {{"LowSeqNum", Kind::Integer, "3"}}, Expect::Affected, nullptr, "2"},
        {{"DELETE FROM imagedata WHERE imagedata.SeqNumber < :LowSeqNum"},
         {{"LowSeqNum", Kind::Integer, "3"}},
         Expect::Affected,
         nullptr,
         "2"},
        {{"select * from NextSeq"}, {}, Expect::Field, "NextSeqNum", "7"},
        {{"Update ImageArchive",
          "set CDLabel = \"Deleted\", SentToSystem = True where ReqID = :QReqId and DocDefn = :QDocDefn"},
         {{"QReqID", Kind::Text, "12345"}, {"QDocDefn", Kind::Text, "labs10b002"}},
         Expect::Affected,
         nullptr,
         "1"},
        {{"Select * from ImageArchive where CDLabel = \"deleted\""}, {}, Expect::Rows, nullptr, "2"},
        {{"Select SeqNumber, ReqID, DocDefn, ScanTime from ImageData", "where CDWriteTime is null"},
         {},
         Expect::Rows,
         nullptr,
         "2"},
    };
}

class QuotedStatements : public ::testing::TestWithParam<DbEngine> {};

} // namespace

TEST_P(QuotedStatements, RunUnchangedOnTheEngine) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    DataQuery& q = s.db().AdminQuery;
    int n = 0;
    for (const Step& step : Road()) {
        SCOPED_TRACE(QStringLiteral("step %1: %2").arg(++n).arg(step.sql.join(" / ")).toStdString());
        q.close();
        q.unprepare();
        q.clearParams();
        q.setSQL(step.sql);
        for (const Param& p : step.params) {
            const QString v = QString::fromUtf8(p.value);
            switch (p.kind) {
            case Kind::Text:
                q.setParamText(p.name, v);
                break;
            case Kind::Integer:
                q.setParamInteger(p.name, v.toInt());
                break;
            case Kind::DateTime:
                q.setParamDateTime(p.name, *ParseDateTimeText(v));
                break;
            case Kind::YesNo:
                q.setParamYesNo(p.name, v == "true");
                break;
            case Kind::DateAt:
                ASSERT_TRUE(q.setParamDateTime(QString(p.name).toInt(), *ParseDateTimeText(v)));
                break;
            }
        }
        ASSERT_TRUE(q.prepare()) << q.errorText().toStdString();
        if (step.expect == Expect::Affected) {
            ASSERT_TRUE(q.execSQL()) << q.errorText().toStdString();
            EXPECT_EQ(q.rowsAffected(), QString(step.value).toInt());
            continue;
        }
        ASSERT_TRUE(q.open()) << q.errorText().toStdString();
        if (step.expect == Expect::Rows) {
            EXPECT_EQ(q.recordCount(), QString(step.value).toInt());
        } else {
            ASSERT_FALSE(q.eof());
            EXPECT_TRUE(q.hasField(step.field));
            EXPECT_EQ(q.fieldByName(step.field).asString().toStdString(), step.value);
        }
        q.close();
    }
}

TEST_P(QuotedStatements, TheBackupWriteQueryStartsWithItsPlaceholderAndIsReplacedBeforeUse) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    TImageDataModule& db = s.db();
    EXPECT_EQ(db.BackupImageWriteQuery.text(), "Update ImageData\n Set CDWriteTime = :QCDWriteTime, ");
    EXPECT_FALSE(db.BackupImageWriteQuery.prepare()); // an unfinished statement: an error, not a crash
    InsertImage(db, 1, "12345", "REQS10A001");
    db.SetBackupWriteSQL(ZipWrite);
    db.BackupImageWriteQuery.setParamText("QZipName", "12~1");
    db.BackupImageWriteQuery.setParamInteger("QSEQNUM", 1);
    ASSERT_TRUE(db.BackupImageWriteQuery.execSQL()) << db.BackupImageWriteQuery.errorText().toStdString();
    EXPECT_EQ(db.BackupImageWriteQuery.rowsAffected(), 1);
    // A parameter left without a value is refused, as the old engine refused it.
    db.SetBackupWriteSQL(MediaWrite);
    db.BackupImageWriteQuery.clearParams();
    db.BackupImageWriteQuery.setParamText("QZipName", "12~1");
    EXPECT_FALSE(db.BackupImageWriteQuery.execSQL());
    EXPECT_TRUE(db.BackupImageWriteQuery.errorText().contains("QCDWriteTime"));
}

INSTANTIATE_TEST_SUITE_P(Engines, QuotedStatements, ::testing::Values(DbEngine::SQLite, DbEngine::PostgreSQL),
                         EngineName);
