#include "DbTestSupport.h"

using namespace kestrova;
using namespace kestrova::test;

namespace {

class TableBehaviour : public ::testing::TestWithParam<DbEngine> {};

QString Count(TImageDataModule& db, const QString& where) {
    return Scalar(db, "select count(*) from ImageData where " + where);
}

} // namespace

TEST_P(TableBehaviour, NextSeqStaysAboveTheHighestNumberInBothTables) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    TImageDataModule& db = s.db();
    auto next = [&] { return Scalar(db, "select * from NextSeq"); };
    EXPECT_EQ(next(), "1");
    for (int seq = 1; seq <= 3; ++seq) InsertImage(db, seq, QString::number(seq), "D");
    EXPECT_EQ(next(), "4");
    // Archiving moves rows 1 and 2; the archive still counts.
    Exec(db, "INSERT INTO ImageArchive (SeqNumber, ReqID, DocDefn) SELECT SeqNumber, ReqID, DocDefn FROM imagedata "
             "WHERE imagedata.SeqNumber < 3");
    Exec(db, "DELETE FROM imagedata WHERE imagedata.SeqNumber < 3");
    EXPECT_EQ(next(), "4");
    // A deleted record stays; a row removed by hand frees its number only when nothing is above it.
    Exec(db, "Update Imagedata set CDLabel = \"Deleted\", SentToSystem = True where SeqNumber = 3");
    EXPECT_EQ(next(), "4");
    Exec(db, "delete from ImageData where SeqNumber = 3");
    EXPECT_EQ(next(), "3");
    Exec(db, "delete from ImageArchive");
    EXPECT_EQ(next(), "1");
    // Sequence numbers are unique: a second row with a used number is refused.
    InsertImage(db, 1, "A", "D");
    db.SetGeneralSQL("insert into Imagedata (SeqNumber, ReqID) values (:QSeqNumber, :QReqID)");
    db.FileImageDataQuery.setParamInteger("QSeqNumber", 1);
    db.FileImageDataQuery.setParamText("QReqID", "B");
    EXPECT_FALSE(db.FileImageDataQuery.execSQL());
    EXPECT_FALSE(db.FileImageDataQuery.lockError());
}

TEST_P(TableBehaviour, TextComparisonsIgnoreLetterCase) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    TImageDataModule& db = s.db();
    InsertImage(db, 1, "AbC123", "ReqS10A");
    InsertImage(db, 2, "xyz", "LABS10B");
    Exec(db, "update ImageData set CDLabel = \"Scan Server\", ZipName = \"AB~2004\" where SeqNumber = 1");
    EXPECT_EQ(Count(db, "ReqID = \"abc123\""), "1");
    EXPECT_EQ(Count(db, "ReqID like \"ABC*\" and DocDefn = \"REQS10a\""), "1");
    EXPECT_EQ(Count(db, "CDLabel = \"SCAN SERVER\""), "1");
    EXPECT_EQ(Count(db, "ReqID in (\"ABC123\", \"XYZ\")"), "2");
    DataQuery& q = db.AdminQuery;
    q.setSQL("select SeqNumber from ImageData where ReqID = :QReqID and ZipName like :QZip");
    q.setParamText("qreqid", "ABC123");
    q.setParamText("QZIP", "ab~*");
    ASSERT_TRUE(q.open()) << q.errorText().toStdString();
    EXPECT_EQ(q.recordCount(), 1);
    // The text is kept as written.
    EXPECT_EQ(Scalar(db, "select ReqID from ImageData where ReqID = \"ABC123\""), "AbC123");
}

TEST_P(TableBehaviour, TextWithQuotesAndWildcardCharactersIsStoredAndFoundExactly) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    TImageDataModule& db = s.db();
    const QString odd = "He said \"x\" 'y' *%_? :QNot [a]\\";
    InsertImage(db, 1, odd, "D1");
    InsertImage(db, 2, "plain", "D2");
    InsertImage(db, 3, "ab", "D3");
    EXPECT_EQ(Scalar(db, "select ReqID from ImageData where SeqNumber = 1"), odd);
    EXPECT_EQ(Count(db, "ReqID = \"He said \"\"x\"\" 'y' *%_? :QNot [a]\\\""), "1");
    EXPECT_EQ(Count(db, "ReqID = 'He said \"x\" ''y'' *%_? :QNot [a]\\'"), "1");
    EXPECT_EQ(Count(db, "ReqID like \"*%_*\""), "1");  // "%" and "_" are plain characters to like
    EXPECT_EQ(Count(db, "ReqID like \"*[*]*\""), "1"); // "[*]" is a literal asterisk
    EXPECT_EQ(Count(db, "ReqID like \"?????\""), "1"); // exactly five characters
    EXPECT_EQ(Count(db, "ReqID like \"*\\\""), "1");   // a trailing backslash
    EXPECT_EQ(Count(db, "ReqID like \"*\""), "3");
    DataQuery& q = db.AdminQuery;
    q.setSQL("select ReqID from ImageData where ReqID like :QPattern");
    q.setParamText("QPattern", "*'y' [*]%_[?]*");
    ASSERT_TRUE(q.open()) << q.errorText().toStdString();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.fieldByName("reqid").asString(), odd);
}

TEST_P(TableBehaviour, FieldsReadBackAsTheTypesTheyWereBoundAs) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    TImageDataModule& db = s.db();
    const TDateTime scan = 38322.4375123; // 2004-12-01 10:30:01.063
    InsertImage(db, 42, "12345", "REQS10A", scan, true);
    DataQuery& q = db.AdminQuery;
    q.setSQL("select * from ImageData");
    ASSERT_TRUE(q.open()) << q.errorText().toStdString();
    EXPECT_EQ(q.fieldByName("SEQNUMBER").asInteger(), 42);
    EXPECT_EQ(q.fieldByName("SeqNumber").asString(), "42");
    EXPECT_NEAR(q.fieldByName("ScanTime").asDateTime(), scan, 0.5 / 86400000.0 + 1e-9);
    EXPECT_EQ(q.fieldByName("ScanTime").asString(), "2004-12-01 10:30:01.063");
    EXPECT_TRUE(q.fieldByName("SentToSystem").asBoolean());
    EXPECT_EQ(q.fieldByName("SentToSystem").asString(), "True");
    EXPECT_TRUE(q.fieldByName("CDWriteTime").isNull());
    EXPECT_EQ(q.fieldByName("CDWriteTime").asDateTime(), 0.0);
    EXPECT_EQ(q.fieldByName("Verified").asInteger(), 0);
    EXPECT_EQ(q.fieldByName("Replicated").asString(), "False");
    EXPECT_TRUE(q.fieldByName("NoSuchField").isNull());
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_TRUE(q.fieldByName("SeqNumber").isNull());
}

INSTANTIATE_TEST_SUITE_P(Engines, TableBehaviour, ::testing::Values(DbEngine::SQLite, DbEngine::PostgreSQL),
                         EngineName);
