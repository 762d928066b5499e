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

// The three kinds of step: a statement that changes rows, one whose rows are counted, one whose first
// row's field is read.
Step Affected(const QStringList& sql, std::vector<Param> params, const char* count) {
    return {sql, std::move(params), Expect::Affected, nullptr, count};
}
Step Rows(const QStringList& sql, const char* count, std::vector<Param> params = {}) {
    return {sql, std::move(params), Expect::Rows, nullptr, count};
}
Step Field(const QStringList& sql, const char* field, const char* value, std::vector<Param> params = {}) {
    return {sql, std::move(params), Expect::Field, field, value};
}
Step ZipNameOf(const char* seq, const char* zipName) {
    return Affected({ZipWrite}, {{"QZipname", Kind::Text, zipName}, {"QSeqNum", Kind::Integer, seq}}, "1");
}
Step MediaWritten(const char* time, const char* label, const char* zipName, const char* count) {
    return Affected({MediaWrite},
                    {{"QCDWriteTime", Kind::DateTime, time},
                     {"QCSentToSystem", Kind::YesNo, "false"},
                     {"QCDlabel", Kind::Text, label},
                     {"QZipname", Kind::Text, zipName}},
                    count);
}
Step MarkDeleted(const char* table, const char* docDefn, const char* count) {
    return Affected({QStringLiteral("Update %1").arg(table),
                     "set CDLabel = \"Deleted\", SentToSystem = True where ReqID = :QReqId and DocDefn = :QDocDefn"},
                    {{"QReqID", Kind::Text, "12345"}, {"QDocDefn", Kind::Text, docDefn}}, count);
}

std::vector<Step> Road() {
    const std::vector<Param> before3{{"LowSeqNum", Kind::Integer, "3"}};
    return {
        InsertRow("1", "12345", "REQS10A001"),
        InsertRow("2", "12345", "LABS10B002"),
        InsertRow("3", "23456", "REQS10C003"),
        InsertRow("4", "34567", "REQS10D004"),
        InsertRow("5", "45678", "REQS10E005"),
        InsertRow("6", "56789", "REQS10F006"),
        Field({"select * from NextSeq"}, "NextSeqNum", "7"),
        Field({"select count(SeqNumber) as BKPCount from ImageData where CdwriteTime is null"}, "BkpCount", "6"),
        Field({"Select SeqNumber, ReqID, DocDefn, ScanTime from ImageData",
               "where CDWriteTime is null and Zipname is Null"},
              "ScanTime", "2004-12-01 10:30:00"),
        ZipNameOf("1", "12~20041201"),
        ZipNameOf("2", "12~20041201"),
        ZipNameOf("3", "23~20041201"),
        ZipNameOf("4", "34~20041201"),
        Field({"select count(SeqNumber) as BKPCount from ImageData where CdwriteTime is null and ZipName is null"},
              "BKPCount", "2"),
        Affected({RemoteWrite},
                 {{"QCDWriteTime", Kind::DateTime, "2004-12-02 08:00:00"},
                  {"QCSentToSystem", Kind::YesNo, "true"},
                  {"QCDlabel", Kind::Text, "Scan Server"},
                  {"QZipname", Kind::Text, "NA"},
                  {"QSeqNumber", Kind::Integer, "5"}},
                 "1"),
        MediaWritten("2004-12-02 09:00:00", "CD0001", "12~20041201", "2"),
        Field({"select count(reqid) as wLIS from ImageData",
               "where ((cdwritetime is not null) or (ZipName is not null)) and", "SentToSystem = false"},
              "wLIS", "4"),
        Rows({"select distinct zipname from imagedata where cdlabel is null and zipname is not null"}, "2"),
        MediaWritten("2004-12-03 09:00:00", "CD0002", "23~20041201", "1"),
        Rows({"select *   ", "from Imagedata     ", "where ZipName = :QZipName"}, "2",
             {{"QZipName", Kind::Text, "12~20041201"}}),
        Field({"Select count(SeqNumber) as CDCount from imagedata  where CDLabel = :QCDLabel"}, "CDCount", "2",
              {{"QCDLabel", Kind::Text, "cd0001"}}),
        Field({"select * from Imagedata where cdlabel = :QCDLabel"}, "CDWriteTime", "2004-12-02 09:00:00",
              {{"QCDLabel", Kind::Text, "CD0001"}}),
        Affected({"update imagedata set Verified = :QVerified where SeqNumber = :QSeqNumber"},
                 {{"QVerified", Kind::Integer, "2"}, {"QSeqNumber", Kind::Integer, "1"}}, "1"),
        Field({"select Verified, SentToSystem from ImageData where SeqNumber = 1"}, "Verified", "2"),
        Field({"select Verified, SentToSystem from ImageData where SeqNumber = 5"}, "SentToSystem", "True"),
        // The query console's canned statements, marks answered (custom update first, for the memo search).
        Affected(Console({"update ImageData set ImageInfo = \"Has ABC inside\" where SeqNumber = 3"}), {}, "1"),
        Rows(Console({"Select *", "from ImageData"}), "6"),
        Rows(Console({"Select *", "from ImageData", "where CDLabel = \"CD0001\""}), "2"),
        Rows(Console({"Select *", "from ImageArchive"}), "0"),
        Rows(Console({"select *", "from ImageData", "where ReqID = \"12345\""}), "2"),
        Rows(Console({"select distinct CDLabel as Media_Name", "from ImageData", "where CDLabel <> \"Deleted\""}), "3"),
        Rows(Console({"select *", "from ImageArchive", "where CDLabel = \"CD0001\""}), "0"),
        Rows(Console({"select *", "from ImageData", "where scantime > :Date_A and ", "scantime < :Date_B",
                      "order by ScanTime"}),
             "6", {{"0", Kind::DateAt, "2004-12-01 10:29:59"}, {"1", Kind::DateAt, "2004-12-01 10:30:01"}}),
        Rows(Console({"select *", "from ImageData", "where reqid like \"1234*\""}), "2"),
        Field(Console({"select *", "from ImageData", "where ImageInfo like \"*abc*\""}), "SeqNumber", "3"),
        Rows(Console({"select *", "from ImageData", "where Zipname like \"12~*\""}), "2"),
        Field(Console({"select ZipName", "from ImageData", "where Reqid like \"1234*\""}), "ZipName", "12~20041201"),
        Rows(Console({"select * from ImageData where ScanTime > [2004-12-01 10:29] and ScanTime < [2004-12-01 10:31]"}),
             "6"),
        // Record deletion.
        Field({"select ZipName from Imagedata", "where ReqID = :QReqId and DocDefn = :QDocDefn"}, "Zipname",
              "12~20041201", {{"QReqID", Kind::Text, "12345"}, {"QDocDefn", Kind::Text, "REQS10A001"}}),
        MarkDeleted("Imagedata", "REQS10A001", "1"),
        MarkDeleted("ImageArchive", "REQS10A001", "0"),
        // Archiving.
        Rows({"select distinct CDLabel from ImageData"}, "5"),
        Field({"select min(SeqNumber) as LowSeqNum from ImageData where cdlabel = \"CD0002\""}, "LowSeqNum", "3"),
        Field({"select min(SeqNumber) as LowSeqNum from ImageData where cdlabel = \"\""}, "LowSeqNum", ""),
        Field({"select min(SeqNumber) as LowSeqNum from ImageData where CDWriteTime < :CDTime"}, "LowSeqNum", "5",
              {{"CDTime", Kind::DateTime, "2004-12-02 08:30:00"}}),
        Rows({"select ReqId, DocDefn from ImageData where SeqNumber < :LowSeqNum"}, "2", before3),
        Affected({Archive}, before3, "2"),
        Affected({"DELETE FROM imagedata WHERE imagedata.SeqNumber < :LowSeqNum"}, before3, "2"),
        Field({"select * from NextSeq"}, "NextSeqNum", "7"),
        MarkDeleted("ImageArchive", "labs10b002", "1"),
        Rows({"Select * from ImageArchive where CDLabel = \"deleted\""}, "2"),
        Rows({"Select SeqNumber, ReqID, DocDefn, ScanTime from ImageData", "where CDWriteTime is null"}, "2"),
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
