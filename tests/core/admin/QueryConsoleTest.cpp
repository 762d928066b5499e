#include "../db/DbTestSupport.h"

#include "core/admin/ConsoleSession.h"
#include "core/admin/QueryConsole.h"

using namespace kestrova;
using namespace kestrova::test;

namespace {

QString Lines(const QStringList& lines) {
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TEST(QueryConsoleTexts, ListsAndCannedStatementsAreAsTheWindowShowsThem) {
    const QStringList entries = QueryComboEntries();
    ASSERT_EQ(entries.size(), 12);
    EXPECT_EQ(entries[0], "Custom");
    EXPECT_EQ(entries[11], "Find  ZipName by Request Number");
    EXPECT_EQ(Lines(CannedQueryLines(2, "CD7")), "Select *\nfrom ImageData\nwhere CDLabel = \"CD7\"");
    EXPECT_EQ(Lines(CannedQueryLines(4, "")), "select *\nfrom :QTable\nwhere ReqID = \":QReqId\"");
    EXPECT_EQ(CannedQueryLines(7, "")[2], "where scantime > :QLowDate and ");
    EXPECT_EQ(Lines(CannedQueryLines(9, "")), "select *\nfrom :QTable\nwhere ImageInfo like \"*:QInfo*\"");
    const QStringList params = ParamComboEntries();
    ASSERT_EQ(params.size(), 16);
    EXPECT_EQ(params[13], "----Tables----");
    EXPECT_EQ(params[14], "ImageData");
}

TEST(QueryConsoleTexts, ReadQueryDateNormalisesOrEmpties) {
    const struct {
        const char* in;
        const char* out; // empty: the reading fails
    } cases[] = {
        {"2004-05-06", "2004-05-06 00:00:00"},
        {"10:30 2004-05-06", "2004-05-06 10:30:00"},
        {" 2004-5-6 7:8:9\t", "2004-05-06 07:08:09"},
        {"04-1-2", "0004-01-02 00:00:00"},
        {"2004-13-40", ""},
        {"2004-02-30", ""},
        {"2004-05-06 25:00", ""},
        {"2004-05-06 10", ""},
        {"2004-05-06 10:x", ""},
        {"2004-05", ""},
        {"nonsense", ""},
    };
    for (const auto& c : cases) {
        QString text = QString::fromLatin1(c.in);
        const auto value = ReadQueryDate(text, QLocale::c());
        EXPECT_EQ(text.toStdString(), c.out) << c.in;
        EXPECT_EQ(value.has_value(), *c.out != 0) << c.in;
    }
    QString text = QStringLiteral("2004-05-06 10:30");
    EXPECT_EQ(ReadQueryDate(text), EncodeDate(2004, 5, 6) + EncodeTime(10, 30, 0, 0));
}

TEST(QueryConsoleTexts, StatementRules) {
    QString editor = QStringLiteral("\n   \n  UPDATE ImageData set x = 1  \n");
    EXPECT_EQ(ClassifyStatement(editor), StatementKind::Change);
    EXPECT_EQ(editor, "UPDATE ImageData set x = 1");
    for (const char* drop : {"DROP table ImageData", "Drop"}) {
        QString t = QString::fromLatin1(drop);
        EXPECT_EQ(ClassifyStatement(t), StatementKind::Nothing) << drop;
    }
    QString blank = QStringLiteral(" \n\t\n");
    EXPECT_EQ(ClassifyStatement(blank), StatementKind::Nothing);
    EXPECT_TRUE(DropGuard("select * from ImageData; DROP table ImageData"));
    EXPECT_FALSE(DropGuard("select dropped from ImageData"));

    EXPECT_EQ(NormaliseMarks("a :qX b=:qY c=:QZ d(:qW"), "a :QX b= :QY c= :QZ d(:qW");
    EXPECT_EQ(WorkingText("select *\r\nfrom T"), "select *  from T ");

    const NumberedDates n = NumberDateLiterals("a > [2004-01-01] and b < [2004-02-01 10:00] ");
    EXPECT_EQ(n.text, "a > :Date_A and b < :Date_B ");
    EXPECT_EQ(n.dateTexts, (QStringList{"2004-01-01", "2004-02-01 10:00"}));
    QString many;
    for (int i = 0; i < 26; ++i) many += QStringLiteral("[2004-01-01] ");
    EXPECT_FALSE(NumberDateLiterals(many).tooMany);
    EXPECT_TRUE(NumberDateLiterals(many).text.contains(":Date_Z"));
    EXPECT_TRUE(NumberDateLiterals(many + "[2004-01-01]").tooMany);

    EXPECT_EQ(ReformatStatement("select * FROM T where a = 1 and b = 2 OR c = 3 order by a "),
              "select * \nfrom T \nwhere a = 1 and\nb = 2 or\nc = 3 \norder by a ");
}

TEST(QueryConsoleTexts, PromptsDefaultAndNeverReadAnAnswerForMarks) {
    TempStation ts;
    ts.station.task().setMediaLabel(QStringLiteral("DISC7"));
    ts.prompter.expectInput(ConsoleParameterCaption, std::nullopt);              // Table: cancelled
    ts.prompter.expectInput(ConsoleParameterCaption, std::nullopt);              // Media_Name
    ts.prompter.expectInput(ConsoleParameterCaption, QStringLiteral("x:QLoop")); // Info
    ts.prompter.expectInput(ConsoleParameterCaption, std::nullopt);              // ScanTimeLow
    const QString out =
        PromptParameters("select * from :QTable where CDLabel = \":QMedia_Name\" and ImageInfo like \"*:QInfo*\" and "
                         "ScanTime > :QScanTimeLow and ImageInfo <> \":qinfo\" ",
                         ts.prompter, "2004-05-06 10:30", "DISC7");
    EXPECT_EQ(out, "select * from ImageData where CDLabel = \"DISC7\" and ImageInfo like \"*x:QLoop*\" and "
                   "ScanTime > [2004-05-06 10:30] and ImageInfo <> \"x:QLoop\" ");
    ASSERT_EQ(ts.prompter.shown().size(), 4u);
    EXPECT_EQ(ts.prompter.shown()[0].text, "Table");
    EXPECT_EQ(ts.prompter.shown()[0].defaultText, "ImageData");
    EXPECT_EQ(ts.prompter.shown()[1].defaultText, "DISC7");
    EXPECT_EQ(ts.prompter.shown()[2].defaultText, "");
    EXPECT_EQ(ts.prompter.shown()[3].defaultText, "2004-05-06 10:30");
}

// The console on each engine, as the supervisor drives it.
class QueryConsoleEngines : public ::testing::TestWithParam<DbEngine> {};

TEST_P(QueryConsoleEngines, CannedAndCustomStatements) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    s.station().DataModule = &s.db();
    ScriptedPrompter& p = s.temp().prompter;
    InsertImage(s.db(), 1, "12345", "REQ", EncodeDate(2004, 5, 1) + 0.5);
    InsertImage(s.db(), 2, "12346", "REQ", EncodeDate(2004, 5, 10) + 0.5);
    InsertImage(s.db(), 3, "99999", "REQ", EncodeDate(2004, 6, 1) + 0.5);
    Exec(s.db(),
         "insert into ImageArchive (SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, SentToSystem) "
         "select SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, SentToSystem from ImageData where SeqNumber = 1");
    ConsoleSession console(s.station(), s.db());
    const size_t b = p.shown().size(); // the database's own messages before

    // "Find Media by Request Number": Table (default ImageData), then ReqId (no default).
    QString editor = Lines(CannedQueryLines(4, ""));
    p.expectInput(ConsoleParameterCaption, QStringLiteral("ImageArchive"));
    p.expectInput(ConsoleParameterCaption, QStringLiteral("12345"));
    ASSERT_EQ(console.OpenSQLClick(editor, "2004-05-06 10:30"), ConsoleOutcome::Opened);
    EXPECT_EQ(p.shown()[b + 0].text, "Table");
    EXPECT_EQ(p.shown()[b + 0].defaultText, "ImageData");
    EXPECT_EQ(p.shown()[b + 1].text, "ReqId");
    EXPECT_EQ(p.shown()[b + 1].defaultText, "");
    EXPECT_EQ(editor, "select * \nfrom ImageArchive \nwhere ReqID = \"12345\" ");
    ASSERT_EQ(console.model().rowCount(), 1);
    EXPECT_EQ(console.model().cellText(0, console.model().fieldColumn("SeqNumber")), "1");
    EXPECT_GE(console.model().fieldColumn("ImageInfo"), 0);

    // "All entries between two dates": two dates bound as values.
    editor = Lines(CannedQueryLines(7, ""));
    p.expectInput(ConsoleParameterCaption, std::nullopt);
    p.expectInput(ConsoleParameterCaption, QStringLiteral("2004-05-05"));
    p.expectInput(ConsoleParameterCaption, QStringLiteral("2004-05-20 00:00"));
    ASSERT_EQ(console.OpenSQLClick(editor, "2004-05-06 10:30"), ConsoleOutcome::Opened);
    EXPECT_EQ(p.shown()[b + 3].text, "LowDate");
    EXPECT_EQ(p.shown()[b + 3].defaultText, "2004-05-06 10:30");
    EXPECT_EQ(editor,
              "select * \nfrom ImageData \nwhere scantime > :Date_A and\n scantime < :Date_B \norder by ScanTime ");
    ASSERT_EQ(console.model().rowCount(), 1);
    EXPECT_EQ(console.model().cellText(0, console.model().fieldColumn("ReqID")), "12346");

    // A change statement reports its rows and leaves a trace in the event log.
    editor = QStringLiteral("Update ImageData set CDLabel = \"CD1\" where SeqNumber = :qSeq");
    p.expectInput(ConsoleParameterCaption, QStringLiteral("3"));
    p.expectMessage(ExecuteCaption);
    ASSERT_EQ(console.OpenSQLClick(editor, ""), ConsoleOutcome::Updated) << p.shown().back().text.toStdString();
    EXPECT_EQ(editor, "Update ImageData set CDLabel = \"CD1\" where SeqNumber = :QSeq");
    EXPECT_EQ(p.shown().back().text, "Successful Update: 1 entries updated.");
    EXPECT_EQ(Scalar(s.db(), "select CDLabel from ImageData where SeqNumber = 3"), "CD1");
    EXPECT_TRUE(LoggedMessages(s.station()).back().startsWith("Query console: 1 rows changed by: Update ImageData"));

    // Drop in any form sends nothing and says nothing.
    for (const char* drop : {"DROP TABLE ImageArchive", "drop", "select * from ImageData; drop table ImageArchive",
                             "update ImageData set CDLabel = \"x\"; DROP  table ImageArchive"}) {
        QString t = QString::fromLatin1(drop);
        EXPECT_EQ(console.OpenSQLClick(t, ""), ConsoleOutcome::NotSent) << drop;
    }
    EXPECT_EQ(Scalar(s.db(), "select count(*) from ImageArchive"), "1");

    // An unreadable date is named and nothing is sent; too many dates are refused.
    editor = QStringLiteral("update ImageData set CDLabel = \"bad\" where ScanTime > [2004-13-40]");
    p.expectMessage(InvalidDateCaption);
    EXPECT_EQ(console.OpenSQLClick(editor, ""), ConsoleOutcome::NotSent);
    EXPECT_EQ(p.shown().back().text, "Date 2004-13-40 is invalid.");
    QString many = QStringLiteral("select * from ImageData where ScanTime in (");
    for (int i = 0; i < 27; ++i) many += QStringLiteral("[2004-01-01],");
    many += QStringLiteral("[2004-01-01])");
    p.expectMessage(InvalidDateCaption);
    EXPECT_EQ(console.OpenSQLClick(many, ""), ConsoleOutcome::NotSent);
    EXPECT_EQ(Scalar(s.db(), "select count(*) from ImageData where CDLabel = \"bad\""), "0");

    // A refused statement names the engine's complaint and leaves the grid empty.
    editor = QStringLiteral("select NoSuchColumn from ImageData");
    p.expectMessage(ExecuteCaption);
    EXPECT_EQ(console.OpenSQLClick(editor, ""), ConsoleOutcome::Failed);
    EXPECT_TRUE(p.shown().back().text.startsWith("Unable to execute statement: "))
        << p.shown().back().text.toStdString();
    EXPECT_EQ(console.model().columnCount(), 0);

    // An unbound lower-case mark is the engine's business, not a date's.
    editor = QStringLiteral("select * from ImageData where ReqID in (:qx) or ScanTime > [2004-01-01]");
    p.expectMessage(ExecuteCaption);
    EXPECT_EQ(console.OpenSQLClick(editor, ""), ConsoleOutcome::Failed);
    EXPECT_TRUE(p.shown().back().text.contains(":qx")) << p.shown().back().text.toStdString();

    // A result without ImageInfo.
    editor = Lines(CannedQueryLines(5, ""));
    p.expectInput(ConsoleParameterCaption, std::nullopt);
    ASSERT_EQ(console.OpenSQLClick(editor, ""), ConsoleOutcome::Opened);
    EXPECT_EQ(console.model().fieldColumn("ImageInfo"), -1);
    EXPECT_TRUE(p.allAnswered());
}

TEST_P(QueryConsoleEngines, LargeResultsAreReadAsTheGridScrolls) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    Exec(s.db(), "insert into ImageData (SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, SentToSystem) "
                 "values (1, \"R\", \"REQ\", [2004-01-01], [2004-01-01], False)");
    for (int doubling = 0; doubling < 13; ++doubling) // 8192 rows
        Exec(s.db(), "insert into ImageData (SeqNumber, ReqID, DocDefn, ScanTime, ViewTime, SentToSystem) "
                     "select SeqNumber + (select max(SeqNumber) from ImageData), ReqID, DocDefn, ScanTime, "
                     "ViewTime, SentToSystem from ImageData");
    ConsoleSession console(s.station(), s.db());
    QString editor = Lines(CannedQueryLines(1, ""));
    ASSERT_EQ(console.OpenSQLClick(editor, ""), ConsoleOutcome::Opened);
    ConsoleResultModel& m = console.model();
    EXPECT_EQ(m.rowCount(), ConsoleResultModel::FirstBatch);
    // The station writes while the grid still reads.
    InsertImage(s.db(), 100000, "W", "REQ");
    while (m.canFetchMore()) m.fetchMore();
    EXPECT_GE(m.rowCount(), 8192);
    EXPECT_TRUE(m.readError().isEmpty()) << m.readError().toStdString();
    EXPECT_EQ(m.cellText(8000, m.fieldColumn("ReqID")), "R");
    EXPECT_EQ(m.cellText(8000, m.fieldColumn("SentToSystem")), "False");
}

INSTANTIATE_TEST_SUITE_P(Engines, QueryConsoleEngines, ::testing::Values(DbEngine::SQLite, DbEngine::PostgreSQL),
                         EngineName);
