#include "DbTestSupport.h"

#include "core/db/SchemaIndexes.h"

#include <QDir>
#include <QFile>

using namespace kestrova;
using namespace kestrova::test;

namespace {

class SchemaUpgrade : public ::testing::TestWithParam<DbEngine> {};

const QStringList AllTenLines = {
    "ImageData Column ZipName Created",     "ImageArchive Column ZipName Created",
    "ImageData Column BarcodeData Created", "ImageArchive Column BarcodeData Created",
    "ImageData Column Verified Created",    "ImageArchive Column Verified Created",
    "ImageData Column ImageInfo Created",   "ImageArchive Column ImageInfo Created",
    "ImageData Column Replicated Created",  "ImageArchive Column Replicated Created",
};

} // namespace

TEST_P(SchemaUpgrade, AnOlderDatabaseGetsTheFiveColumnsInBothTablesOnceWithTheirLogLines) {
    DbStation s(GetParam(), DbStation::Template::Older);
    KESTROVA_NEED_DB(s);
    TImageDataModule& db = s.db();
    InsertImage(db, 1, "12345", "REQS10A001");
    Exec(db, "INSERT INTO ImageArchive (SeqNumber, ReqID, DocDefn, SentToSystem) values (0, \"1\", \"D\", True)");

    db.UpgradeDatabaseSchema();
    EXPECT_EQ(LoggedMessages(s.station()), AllTenLines);

    // The new columns are there in both tables, with the types the station relies on.
    for (const char* table : {"ImageData", "ImageArchive"})
        EXPECT_EQ(Scalar(db, QString("select count(ZipName) + count(BarcodeData) + count(Verified) + count(ImageInfo) "
                                     "+ count(Replicated) from %1")
                                 .arg(table)),
                  "1");
    Exec(db, "update ImageData set ZipName = \"" + QString(40, 'z') + "\", Verified = 4, BarcodeData = \"A1234B\"");
    EXPECT_EQ(Scalar(db, "select Replicated from ImageData"), "False");
    EXPECT_EQ(Scalar(db, "select count(*) from ImageData where ZipName like \"ZZZ*\" and Verified = 4"), "1");
    db.AdminQuery.setSQL("update ImageData set ZipName = \"" + QString(41, 'z') + "\"");
    EXPECT_FALSE(db.AdminQuery.execSQL()) << "a zip name is at most 40 characters";

    // The indexes of the engine are there too, the counters' partial ones among them.
    const QString indexes = GetParam() == DbEngine::SQLite
                                ? "select count(*) from sqlite_master where type = \"index\" and name like \"IX_*\""
                                : "select count(*) from pg_indexes where indexname like \"ix_*\"";
    EXPECT_EQ(Scalar(db, indexes), QString::number(ImageIndexStatements(GetParam()).size()));

    // The next start finds every column and says nothing.
    s.station().eventLog().clear();
    db.UpgradeDatabaseSchema();
    EXPECT_TRUE(LoggedMessages(s.station()).isEmpty());
}

TEST_P(SchemaUpgrade, ACurrentDatabaseProducesNoLogLines) {
    DbStation s(GetParam());
    KESTROVA_NEED_DB(s);
    s.db().UpgradeDatabaseSchema();
    EXPECT_TRUE(LoggedMessages(s.station()).isEmpty());
}

TEST_P(SchemaUpgrade, OnlyTheProbeOnImageDataDecidesAndFailedStatementsAreSilent) {
    DbStation s(GetParam(), DbStation::Template::Older);
    KESTROVA_NEED_DB(s);
    TImageDataModule& db = s.db();
    // ImageData already has ZipName and Verified; the archive gets the other three only.
    Exec(db, "Alter Table ImageData add ZIPName Text (40)");
    Exec(db, "Alter Table ImageData add Verified Number");
    // The archive already has BarcodeData: its statement fails, without a word.
    Exec(db, "Alter Table ImageArchive add BarcodeData memo");
    db.UpgradeDatabaseSchema();
    EXPECT_EQ(LoggedMessages(s.station()),
              (QStringList{"ImageData Column BarcodeData Created", "ImageData Column ImageInfo Created",
                           "ImageArchive Column ImageInfo Created", "ImageData Column Replicated Created",
                           "ImageArchive Column Replicated Created"}));
    db.AdminQuery.setSQL("select ZipName from ImageArchive");
    EXPECT_FALSE(db.AdminQuery.open()) << "the archive is only altered when the probe on ImageData fails";
}

INSTANTIATE_TEST_SUITE_P(Engines, SchemaUpgrade, ::testing::Values(DbEngine::SQLite, DbEngine::PostgreSQL), EngineName);

TEST(SchemaUpgrade, AFileThatIsNoDatabaseGivesOneClearLineAndErrorsNotCrashes) {
    enum Bad { Garbage, Empty, Directory };
    for (Bad bad : {Garbage, Empty, Directory}) {
        TempStation ts;
        QDir().mkpath(ts.path("ImageDatabase"));
        const QString file = ts.path("ImageDatabase/KestrovaImageData.mdb");
        if (bad == Directory) {
            QDir().mkpath(file);
        } else {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            if (bad == Garbage) f.write(QByteArray("Standard Jet DB\0\0\0 not what we read", 36).repeated(200));
        }
        ImageDataModuleCreation created = TImageDataModule::Create(ts.station);
        ASSERT_TRUE(created.module);
        TImageDataModule& db = *created.module;

        db.UpgradeDatabaseSchema();
        const QStringList logged = LoggedMessages(ts.station);
        ASSERT_EQ(logged.size(), 1) << logged.join(" | ").toStdString();
        EXPECT_TRUE(logged[0].startsWith("Image database " + file + " cannot be used: ")) << logged[0].toStdString();

        // Every later statement fails with a text the counters can show.
        EXPECT_FALSE(db.LISinfoQuery.open());
        EXPECT_FALSE(db.LISinfoQuery.errorText().isEmpty());
        db.SetGeneralSQL("select count(SeqNumber) as BKPCount from ImageData where CdwriteTime is null");
        EXPECT_FALSE(db.FileImageDataQuery.prepare());
        EXPECT_FALSE(db.FileImageDataQuery.open());
        EXPECT_TRUE(db.FileImageDataQuery.eof());
        EXPECT_EQ(db.FileImageDataQuery.fieldByName("BkpCount").asInteger(), 0);
    }
}
