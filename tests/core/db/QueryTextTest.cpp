#include "DbTestSupport.h"

#include "core/db/QueryText.h"

#include <QSqlQuery>

using namespace kestrova;
using namespace kestrova::test;

TEST(QueryText, RowsComeAsTabSeparatedLinesAndChangesAsTheirCount) {
    DbStation s(DbEngine::SQLite);
    KESTROVA_NEED_DB(s);
    InsertImage(s.db(), 1, "12345", "REQS1", 38322.4375);
    InsertImage(s.db(), 2, "tab\there", "line\nbreak\\", 38322.4375);

    QueryTextResult r = RunQueryText(s.db(), "update ImageData set CDLabel = \"CD1\" where ReqID like \"1*\"");
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.text, "1 rows affected");

    r = RunQueryText(s.db(), "select SeqNumber, ReqID, DocDefn, ScanTime, CDLabel, SentToSystem from ImageData "
                             "order by SeqNumber");
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.text.toStdString(), "SeqNumber\tReqID\tDocDefn\tScanTime\tCDLabel\tSentToSystem\n"
                                    "1\t12345\tREQS1\t2004-12-01 10:30:00\tCD1\tFalse\n"
                                    "2\ttab\\there\tline\\nbreak\\\\\t2004-12-01 10:30:00\t\tFalse");

    r = RunQueryText(s.db(), "select NoSuchColumn from ImageData");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains("NoSuchColumn")) << r.error.toStdString();
}

class QueryStream : public ::testing::TestWithParam<DbEngine> {};

TEST_P(QueryStream, RowsGoOutOneAtATimeAndAnEmptyResultStillNamesItsFields) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    for (int i = 1; i <= 3; ++i) InsertImage(s.db(), i, QStringLiteral("1234%1").arg(i), "REQS1");
    QStringList lines;
    // Each line is out before the next row is read: the query holds none of them.
    QueryTextResult r =
        StreamQueryText(s.db(),
                        "select SeqNumber, ReqID from ImageData where ReqID like \"1234*\" "
                        "order by SeqNumber",
                        [&](const QString& line) {
                            lines << line;
                            EXPECT_TRUE(s.db().ImageDataQuery.isEmpty() || s.db().ImageDataQuery.recordCount() == 1);
                        });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_TRUE(r.text.isEmpty());
    // A server gives the field names in lower case.
    EXPECT_EQ(lines.join('\n').toLower(), "seqnumber\treqid\n1\t12341\n2\t12342\n3\t12343");

    lines.clear();
    r = StreamQueryText(s.db(), "select ReqID, DocDefn from ImageData where ReqID = \"none\"",
                        [&](const QString& line) { lines << line; });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(lines.join('\n').toLower(), "reqid\tdocdefn");
}

INSTANTIATE_TEST_SUITE_P(Engines, QueryStream, ::testing::Values(DbEngine::SQLite, DbEngine::PostgreSQL), EngineName);

TEST(ServerConnection, AStatementAfterTheServerDroppedTheConnectionOpensItAgain) {
    DbStation s(DbEngine::PostgreSQL);
    KESTROVA_NEED_DB(s);
    TImageDataModule& db = s.db();
    InsertImage(db, 1, "12345", "REQS1");
    const quint64 before = db.generation();
    {
        std::unique_ptr<TImageDataModule> admin = s.another();
        Exec(*admin, "select pg_terminate_backend(pid) from pg_stat_activity where pid <> pg_backend_pid() "
                     "and datname = current_database()");
    }
    // The first statement finds the connection gone and reports it; the next one works again.
    db.LISinfoQuery.open();
    db.LISinfoQuery.close();
    ASSERT_TRUE(db.LISinfoQuery.open()) << db.LISinfoQuery.errorText().toStdString();
    EXPECT_EQ(db.LISinfoQuery.fieldByName("wLIS").asInteger(), 0);
    EXPECT_GT(db.generation(), before);
}
