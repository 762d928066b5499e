#include "StoreRig.h"

#include "core/store/SaveImageAs.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::storetest;

namespace {

// The clock at a time of day whose milliseconds give the suffix in hexadecimal.
QDateTime AtSuffix(int milliseconds) {
    return QDateTime(QDate(2026, 12, 8), QTime(0, 0).addMSecs(milliseconds));
}

} // namespace

TEST(ConvertPass, NumbersFilesInOrderAndAFailedInsertLeavesNoGap) {
    StoreRig rig;
    rig.setNextSeq(41);
    rig.writePage(QStringLiteral("AAA~REQS1000001.tif"));
    const QString refused = rig.writePage(QStringLiteral("BBB~REQS1000002.tif"));
    rig.writePage(QStringLiteral("CCC~REQS1000003.tif"), 1, TiffCompression::CcittG4, 210.0, 100, rig.remoteDir);
    Exec(*rig.db, QStringLiteral("create trigger RefuseB before insert on ImageData when NEW.ReqID = 'BBB' "
                                 "begin select raise(abort, 'refused'); end"));

    const ConvertSummary summary = rig.run();
    EXPECT_EQ(summary.listed, 3);
    EXPECT_EQ(summary.stored, 2);
    const QList<StoredRow> rows = rig.rows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].SeqNumber, 41);
    EXPECT_EQ(rows[0].ReqID, QStringLiteral("AAA"));
    EXPECT_EQ(rows[1].SeqNumber, 42); // the number is taken with the row: the refused one took none
    EXPECT_EQ(rows[1].ReqID, QStringLiteral("CCC"));
    EXPECT_TRUE(rows[0].SentToSystem); // the "Awaiting Lab IS" group is hidden
    EXPECT_FALSE(rows[0].ScanTime.isEmpty());
    EXPECT_TRUE(rows[0].ViewTime.startsWith(QStringLiteral("2026-12-08 14:05:00"))) << rows[0].ViewTime.toStdString();

    // The refused file stays, and no copy of it is left behind to be duplicated by the next pass.
    EXPECT_EQ(StoreRig::files(rig.decodedDir), QStringList{QStringLiteral("BBB~REQS1000002.tif")});
    EXPECT_TRUE(StoreRig::files(rig.remoteDir).isEmpty());
    EXPECT_EQ(StoreRig::files(rig.localDir).filter(QStringLiteral("BBB")), QStringList());
    EXPECT_EQ(StoreRig::files(rig.storeDir).size(), 2);
    // The database's own words say why, not a deletion that never happened.
    const QStringList refusedLines =
        rig.log().filter(QStringLiteral("Error deleting ") + refused + " during storefiles process. ");
    ASSERT_EQ(refusedLines.size(), 1);
    EXPECT_TRUE(refusedLines[0].endsWith(QStringLiteral("refused"))) << refusedLines[0].toStdString();

    // The LIS group shown: new rows wait for the LIS.
    Exec(*rig.db, QStringLiteral("drop trigger RefuseB"));
    rig.station.ui.ServerGroupVisible = true;
    rig.run();
    ASSERT_EQ(rig.rows().size(), 3);
    EXPECT_EQ(rig.rows()[2].SeqNumber, 43);
    EXPECT_FALSE(rig.rows()[2].SentToSystem);
}

TEST(ConvertPass, ARowAnotherHolderInsertsDuringThePassTakesNoNumberFromIt) {
    StoreRig rig;
    rig.setNextSeq(41);
    rig.writePage(QStringLiteral("AAA~REQS1000001.tif"));
    rig.writePage(QStringLiteral("BBB~REQS1000002.tif"));
    // As AAA is recorded, the LIS inserts a row of its own with the number the pass read after it.
    Exec(*rig.db, QStringLiteral("create trigger LisInserts after insert on ImageData when NEW.ReqID = 'AAA' "
                                 "begin insert into ImageData (SeqNumber, ReqID, DocDefn) "
                                 "values (NEW.SeqNumber + 1, 'LIS', 'X'); end"));
    const ConvertSummary summary = rig.run();
    EXPECT_TRUE(summary.clean());
    EXPECT_EQ(summary.stored, 2);
    const QList<StoredRow> rows = rig.rows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].ReqID, QStringLiteral("AAA"));
    EXPECT_EQ(rows[0].SeqNumber, 41);
    EXPECT_EQ(rows[1].ReqID, QStringLiteral("LIS"));
    EXPECT_EQ(rows[2].ReqID, QStringLiteral("BBB"));
    EXPECT_EQ(rows[2].SeqNumber, 43);
    EXPECT_TRUE(rig.log().filter(QStringLiteral("Error deleting")).isEmpty());
}

TEST(ConvertPass, NamesTheStoreCopyAfterRequestDocumentAndANewSuffix) {
    StoreRig rig;
    rig.clock.set(AtSuffix(0x3C4D5));
    rig.writePage(QStringLiteral("12345678~REQS10A1B2.tif"));
    rig.run();

    const QList<StoredRow> rows = rig.rows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].ReqID, QStringLiteral("12345678"));
    EXPECT_EQ(rows[0].DocDefn, QStringLiteral("REQS10A3C4D5"));
    // The mask "**" groups the store copy by the first two characters; the local copy is not grouped.
    EXPECT_EQ(StoreRig::files(rig.storeDir), QStringList{QStringLiteral("12/12345678~REQS10A3C4D5.tif")});
    EXPECT_EQ(StoreRig::files(rig.localDir), QStringList{QStringLiteral("12345678~REQS10A3C4D5.tif")});
    EXPECT_TRUE(StoreRig::files(rig.decodedDir).isEmpty());

    // The same name again at the same moment gets another suffix instead of overwriting.
    rig.writePage(QStringLiteral("12345678~REQS10A1B2.tif"));
    rig.run();
    ASSERT_EQ(rig.rows().size(), 2);
    EXPECT_NE(rig.rows()[1].DocDefn, rows[0].DocDefn);
    EXPECT_EQ(StoreRig::files(rig.storeDir).size(), 2);
    EXPECT_EQ(StoreRig::files(rig.localDir).size(), 2);
}

TEST(ConvertPass, NamesWithoutADocumentCodeTakeTheMatchedDocumentOrStay) {
    StoreRig rig;
    rig.clock.set(AtSuffix(0xABCDE));
    // No document code in the name: the page length (29.7 cm) names the document.
    rig.writePage(QStringLiteral("777~AB.tif"), 1, TiffCompression::CcittG4, 297.0);
    // No "~" at all: the file stays with a reason.
    const QString plain = rig.writePage(QStringLiteral("nocode.tif"));
    rig.run();
    // No code, and no document types to match the page with: it stays too.
    rig.station.editSetup().SetupInfo.DocDefs.clear();
    rig.station.editSetup().SetupInfo.DocDefCount = 0;
    const QString uncoded = rig.writePage(QStringLiteral("888~C.png"));
    rig.run();

    const QList<StoredRow> rows = rig.rows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].ReqID, QStringLiteral("777"));
    EXPECT_EQ(rows[0].DocDefn, QStringLiteral("HISTS1ABCDE"));
    EXPECT_EQ(StoreRig::files(rig.decodedDir),
              (QStringList{QStringLiteral("888~C.png"), QStringLiteral("nocode.tif")}));
    EXPECT_TRUE(rig.log().contains(QStringLiteral("Cannot store ") + plain +
                                   " because its name carries no request number; rename it to request number + "
                                   "\"~\" + document code."));
    EXPECT_TRUE(rig.log().contains(QStringLiteral("Cannot store ") + uncoded +
                                   " because its name carries no document code and its page length matches no "
                                   "document type; rename it to request number + \"~\" + document code."));
}

TEST(ConvertPass, KeepsFormatsAndCompressionsAsTheRulesSay) {
    struct Case {
        const char* name;
        int bits;
        TiffCompression compression;
        const char* stored;     // file name in the local images directory
        const char* format;     // of both copies
        const char* compressed; // compression name of both copies
    };
    const Case cases[] = {
        {"100~REQS10A1B2.bmp", 1, TiffCompression::None, "100~REQS10A", "TIFF", "NONE"},
        {"200~REQS10A1B2.bmp", 8, TiffCompression::None, "200~REQS10A", "BMP", "NONE"},
        {"300~REQS10A1B2.tif", 1, TiffCompression::Lzw, "300~REQS10A", "TIFF", "LZW"},
        {"400~REQS10A1B2.tif", 8, TiffCompression::Lzw, "400~REQS10A", "TIFF", "LZW"},
        {"500~REQS10A1B2.tif", 1, TiffCompression::CcittG4, "500~REQS10A", "TIFF", "FAXCCITT4"},
        {"600~REQS10A1B2.tif", 8, TiffCompression::PackBits, "600~REQS10A", "TIFF", "PACKBITS"},
        {"700~REQS10A1B2.png", 8, TiffCompression::None, "700~REQS10A", "PNG", "PNG"},
    };
    StoreRig rig;
    for (const Case& c : cases) rig.writePage(QString::fromLatin1(c.name), c.bits, c.compression);
    rig.run();
    ASSERT_EQ(rig.rows().size(), int(std::size(cases)));
    const QStringList local = StoreRig::files(rig.localDir);
    const QStringList store = StoreRig::files(rig.storeDir);
    for (const Case& c : cases) {
        const QString localName = local.filter(QString::fromLatin1(c.stored)).value(0);
        const QString storeName = store.filter(QString::fromLatin1(c.stored)).value(0);
        for (const QString& path : {rig.localDir + localName, rig.storeDir + storeName}) {
            const auto info = rig.codec.fileInfo(path);
            ASSERT_TRUE(info) << c.name << ": " << info.error().toStdString();
            EXPECT_EQ(info.value().formatName, QString::fromLatin1(c.format)) << c.name;
            EXPECT_EQ(info.value().compressionName, QString::fromLatin1(c.compressed)) << c.name;
            EXPECT_EQ(info.value().bitsPerPixel, c.bits) << c.name;
            const QString format = QString::fromLatin1(c.format);
            const QString ext = format == QLatin1String("TIFF") ? QStringLiteral(".tif") : "." + format.toLower();
            EXPECT_TRUE(path.endsWith(ext)) << path.toStdString();
        }
    }
}

TEST(ConvertPass, ScalesEachCopyToItsPercentage) {
    StoreRig rig;
    rig.station.editSetup().SetupInfo.ViewImageSize = 50;
    rig.station.editSetup().SetupInfo.BackupImageSize = 100;
    rig.writePage(QStringLiteral("123~REQS10A1B2.tif"));
    rig.run();
    const QString store = rig.storeDir + StoreRig::files(rig.storeDir).value(0);
    const QString local = rig.localDir + StoreRig::files(rig.localDir).value(0);
    const auto stored = rig.codec.fileInfo(store);
    const auto kept = rig.codec.fileInfo(local);
    ASSERT_TRUE(stored && kept);
    EXPECT_EQ(kept.value().width, 827);
    EXPECT_EQ(stored.value().width, 413);
    EXPECT_EQ(stored.value().compressionName, QStringLiteral("FAXCCITT4"));
}

TEST(ConvertPass, WritesOnlyFormatsItHasAWriterFor) {
    StoreRig rig;
    const QString page = rig.writePage(QStringLiteral("page.tif"));
    const auto loaded = rig.codec.loadPage(page, 0, 1);
    ASSERT_TRUE(loaded);
    for (const char* ext : {".pcx", ".tga", ".eps", ".pcd", ""}) {
        const QString path = rig.localDir + QStringLiteral("x") + QString::fromLatin1(ext);
        EXPECT_FALSE(SaveImageAs(*loaded.value().image, path, QString::fromLatin1(ext), 100).isEmpty()) << ext;
        EXPECT_FALSE(QFile::exists(path)) << ext;
    }
    EXPECT_EQ(SaveImageAs(*loaded.value().image, rig.localDir + QStringLiteral("x.PNG"), QStringLiteral(".PNG"), 100),
              QString());
    EXPECT_TRUE(QFile::exists(rig.localDir + QStringLiteral("x.PNG")));

    // Compressions without a writer of their own: the CCITT codings become group 4 on 1-bit pages,
    // anything else is written uncompressed.
    EXPECT_EQ(TiffCompressionFor(CompressionCodeFor(QStringLiteral("FAXCCITT3")), 1), TiffCompression::CcittG4);
    EXPECT_EQ(TiffCompressionFor(CompressionCodeFor(QStringLiteral("CCITT")), 8), TiffCompression::None);
    EXPECT_EQ(TiffCompressionFor(CompressionCodeFor(QStringLiteral("DEFLATE")), 1), TiffCompression::None);
    EXPECT_EQ(TiffCompressionFor(CompressionCodeFor(QStringLiteral("JPEG")), 24), TiffCompression::None);
}
