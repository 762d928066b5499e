#include "core/db/AccessDialect.h"

#include <gtest/gtest.h>

using namespace kestrova;

namespace {

struct Case {
    const char* access;
    const char* sqlite;
    const char* postgres;
};

// What the engines receive for the constructs of the Access dialect.
const Case CASES[] = {
    {"select * from ImageData where CDLabel = \"CD0001\"", "select * from ImageData where CDLabel = 'CD0001'",
     "select * from ImageData where CDLabel = 'CD0001'"},
    {"where ReqID = \"O'Brien \"\"x\"\"\"", "where ReqID = 'O''Brien \"x\"'", "where ReqID = 'O''Brien \"x\"'"},
    {"where reqid like \"123*\"", "where reqid like '123%'", "where lower(reqid::text) like '123%'"},
    {"where I.ReqID like \"AB1*\" and x like \"*z\"", "where I.ReqID like 'AB1%' and x like '%z'",
     "where lower(I.ReqID::text) like 'ab1%' and x like '%z'"},
    {"where ImageInfo like \"*50%_off?\"", "where ImageInfo like '%50\\%\\_off_' ESCAPE '\\'",
     "where ImageInfo like '%50\\%\\_off_' ESCAPE '\\'"},
    {"where x like \"a[*]b[?]c\"", "where x like 'a*b?c'", "where x like 'a*b?c'"},
    {"where x NOT LIKE 'C:\\*'", "where x NOT LIKE 'C:\\\\%' ESCAPE '\\'", "where x NOT LIKE 'C:\\\\%' ESCAPE '\\'"},
    {"on ImageData ((lower(ReqID::text)) text_pattern_ops)", "on ImageData ((lower(ReqID::text)) text_pattern_ops)",
     "on ImageData ((lower(ReqID::text)) text_pattern_ops)"},
    {"where ZipName like :QZip", "where ZipName like ? ESCAPE '\\'", "where ZipName like ? ESCAPE '\\'"},
    {"set CDLabel = \"Deleted\", SentToSystem = True where SentToSystem = false",
     "set CDLabel = 'Deleted', SentToSystem = 1 where SentToSystem = 0",
     "set CDLabel = 'Deleted', SentToSystem = TRUE where SentToSystem = FALSE"},
    {"where scantime > [2004-05-06 10:30] and scantime < [2004-5-7]",
     "where scantime > '2004-05-06 10:30:00' and scantime < '2004-05-07 00:00:00'",
     "where scantime > TIMESTAMP '2004-05-06 10:30:00' and scantime < TIMESTAMP '2004-05-07 00:00:00'"},
    {"select [ReqID], [Odd Name] from ImageData", "select ReqID, \"Odd Name\" from ImageData",
     "select ReqID, \"odd name\" from ImageData"},
    {"Alter Table ImageData add ZIPName Text (40)",
     "Alter Table ImageData add ZIPName TEXT COLLATE NOCASE CHECK (length(ZIPName) <= 40)",
     "Alter Table ImageData add ZIPName citext CHECK (char_length(ZIPName) <= 40)"},
    {"Alter Table ImageArchive add BarcodeData memo", "Alter Table ImageArchive add BarcodeData TEXT COLLATE NOCASE",
     "Alter Table ImageArchive add BarcodeData citext"},
    {"Alter Table ImageData add Verified Number", "Alter Table ImageData add Verified INTEGER",
     "Alter Table ImageData add Verified integer"},
    {"Alter Table ImageData add Replicated YesNo", "Alter Table ImageData add Replicated BOOLEAN NOT NULL DEFAULT 0",
     "Alter Table ImageData add Replicated boolean NOT NULL DEFAULT false"},
    {"create table T (A Long, B DateTime, C Text)", "create table T (A INTEGER, B DATETIME, C TEXT COLLATE NOCASE)",
     "create table T (A integer, B timestamp, C citext)"},
    // Words that only look like type names outside DDL stay as they are.
    {"select Text, Number from T where a.True = 1", "select Text, Number from T where a.True = 1",
     "select Text, Number from T where a.True = 1"},
    {"update imagedata set Verified = :QVerified where SeqNumber = :QSeqNumber",
     "update imagedata set Verified = ? where SeqNumber = ?", "update imagedata set Verified = ? where SeqNumber = ?"},
    {"where t = \"a:QNotAParam [x]\"", "where t = 'a:QNotAParam [x]'", "where t = 'a:QNotAParam [x]'"},
};

} // namespace

TEST(AccessDialect, TranslatesEachConstructForBothEngines) {
    for (const Case& c : CASES) {
        const auto lite = TranslateAccessSql(QString::fromUtf8(c.access), DbEngine::SQLite);
        const auto pg = TranslateAccessSql(QString::fromUtf8(c.access), DbEngine::PostgreSQL);
        EXPECT_TRUE(lite.error.isEmpty()) << c.access;
        EXPECT_EQ(lite.sql.toStdString(), c.sqlite) << c.access;
        EXPECT_EQ(pg.sql.toStdString(), c.postgres) << c.access;
    }
}

TEST(AccessDialect, ParametersArePositionalInOrderAndRepeatsShareOneName) {
    const auto t = TranslateAccessSql(
        QStringLiteral("select * from T where a = :QReqId and b like :QZip and c = :qreqid and d=:QX"),
        DbEngine::SQLite);
    EXPECT_EQ(t.sql, QStringLiteral("select * from T where a = ? and b like ? ESCAPE '\\' and c = ? and d=?"));
    EXPECT_EQ(t.parameters, (QStringList{"QReqId", "QZip", "qreqid", "QX"}));
    EXPECT_EQ(t.likePatterns, (QVector<bool>{false, true, false, false}));
    EXPECT_EQ(DistinctParameters(t), (QStringList{"QReqId", "QZip", "QX"}));
}

TEST(AccessDialect, UnterminatedConstantsAreErrorsNotGuesses) {
    EXPECT_FALSE(
        TranslateAccessSql(QStringLiteral("select * from T where a = \"open"), DbEngine::SQLite).error.isEmpty());
    EXPECT_FALSE(TranslateAccessSql(QStringLiteral("select [a from T"), DbEngine::PostgreSQL).error.isEmpty());
}

TEST(AccessDialect, LikePatternKeepsLiteralWildcardsOfTheEngine) {
    bool escaped = true;
    EXPECT_EQ(AccessLikePattern(QStringLiteral("12345*"), &escaped), QStringLiteral("12345%"));
    EXPECT_FALSE(escaped);
    EXPECT_EQ(AccessLikePattern(QStringLiteral("a_b%c\\?"), &escaped), QStringLiteral("a\\_b\\%c\\\\_"));
    EXPECT_TRUE(escaped);
    EXPECT_EQ(AccessLikePattern(QStringLiteral("[[]x[#]")), QStringLiteral("[x#"));
}
