#include "core/scan/BatchDecodeNames.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

using test::Touch;

TEST(DecodedName, CodabarRequestNumberWithDocumentCodeAndStation) {
    const QString text = DecodedBarcodeText(QStringLiteral("12345678:\r\n"));
    EXPECT_EQ(text, "12345678");
    EXPECT_TRUE(UnsafeBarcodeNameReason(text, QStringLiteral("~HISTS2")).isEmpty());
    EXPECT_EQ(DecodedFileName(QStringLiteral("/st/decoded/"), text, QStringLiteral("~HISTS2"), QStringLiteral("0A1F3")),
              "/st/decoded/12345678~HISTS20A1F3.tif");
}

TEST(DecodedName, TextsThatMustNotBecomeAPath) {
    const QString part = QStringLiteral("~HISTS2");
    const struct {
        QString text;
        const char* reason;
    } cases[] = {
        {QString(), "Barcode not usable as a file name: no text."},
        {QStringLiteral("../../etc/x"), "Barcode not usable as a file name: it holds \"/\"."},
        {QStringLiteral("12\\34"), "Barcode not usable as a file name: it holds \"\\\"."},
        {QStringLiteral("12~34"), "Barcode not usable as a file name: it holds \"~\"."},
        {QStringLiteral("12\t34"), "Barcode not usable as a file name: it holds a control character."},
        {QString(QChar(0)) + QStringLiteral("1"), "Barcode not usable as a file name: it holds a control character."},
        {QString(QChar(0x85)), "Barcode not usable as a file name: it holds a control character."},
        {QStringLiteral("."), "Barcode not usable as a file name: it is \".\"."},
        {QStringLiteral(".."), "Barcode not usable as a file name: it is \"..\"."},
        {QStringLiteral("..."), "Barcode not usable as a file name: it starts with \".\"."},
        {QStringLiteral("..x"), "Barcode not usable as a file name: it starts with \".\"."},
        {QStringLiteral(".1234"), "Barcode not usable as a file name: it starts with \".\"."},
        // The decoded name (barcode + "~HISTS2" + five digits + ".tif") is held to what the store can carry.
        {QString(MaxDecodedNameBytes - 7 - 9 + 1, QLatin1Char('1')),
         "Barcode not usable as a file name: it is too long."},
        {QString(226, QLatin1Char('1')), "Barcode not usable as a file name: it is too long."},
        {QString(112, QChar(0x00E9)), "Barcode not usable as a file name: it is too long."},
    };
    for (const auto& c : cases) EXPECT_EQ(UnsafeBarcodeNameReason(c.text, part), c.reason) << c.text.toStdString();
    // The longest name that still fits, and dots that are only part of a name, are fine.
    EXPECT_TRUE(UnsafeBarcodeNameReason(QString(MaxDecodedNameBytes - 7 - 9, QLatin1Char('1')), part).isEmpty());
    EXPECT_TRUE(UnsafeBarcodeNameReason(QStringLiteral("1..."), part).isEmpty());
    EXPECT_TRUE(UnsafeBarcodeNameReason(QStringLiteral("A.1"), part).isEmpty());

    // A document code or scanner ID from the setup file that would leave the directory.
    EXPECT_TRUE(UnsafeDocumentPartReason(part).isEmpty());
    EXPECT_TRUE(UnsafeDocumentPartReason(QStringLiteral("~REQ.S1")).isEmpty());
    EXPECT_EQ(UnsafeDocumentPartReason(QStringLiteral("~../../etcS1")),
              "Document code or scanner ID not usable in a file name (\"~../../etcS1\"): it holds \"/\".");
    EXPECT_FALSE(UnsafeDocumentPartReason(QStringLiteral("~REQ\\S1")).isEmpty());
}

TEST(ProblemNames, TimeStampToTheMillisecondAndNeverReused) {
    const QDateTime at(QDate(2026, 3, 7), QTime(9, 5, 4, 32));
    EXPECT_EQ(ProblemTimeStamp(at), "20260307090504032");

    QTemporaryDir dir;
    const QString problems = dir.path() + QLatin1Char('/');
    EXPECT_EQ(FreeProblemStamp(problems, at), "20260307090504032");
    Touch(problems + "20260307090504032.tif");
    Touch(problems + "20260307090504033.scn");
    // A page set aside in the same millisecond moves on past both taken stamps.
    EXPECT_EQ(FreeProblemStamp(problems, at), "20260307090504034");
    // Moving on crosses the second boundary like a clock does.
    EXPECT_EQ(FreeProblemStamp(problems, QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999))), "20261231235959999");
    Touch(problems + "20261231235959999.tif");
    EXPECT_EQ(FreeProblemStamp(problems, QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999))), "20270101000000000");
}

TEST(ReasonFile, SixResultLinesThenTheProblemWholeOrNotAtAll) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("20260307090504032.scn"));
    const std::array<QString, 6> lines = {QStringLiteral("A1234A:B77B:"), QString(), QString(),
                                          QStringLiteral("55\r\n12:"),    QString(), QString()};
    ASSERT_TRUE(WriteReasonFile(path, lines, QStringLiteral("2 barcodes found")).isEmpty());
    EXPECT_EQ(test::ReadFileBytes(path), "A1234A:B77B:\n\n\n5512:\n\n\n2 barcodes found\n");

    // An inverted page keeps its results text before the reason.
    ASSERT_TRUE(WriteReasonFile(path, {}, QStringLiteral("A1234A:\nImage Inverted.")).isEmpty());
    EXPECT_EQ(test::ReadFileBytes(path), "\n\n\n\n\n\nA1234A:\nImage Inverted.\n");

    // A directory that is gone gives an error and no file.
    const QString gone = dir.filePath(QStringLiteral("gone/1.scn"));
    EXPECT_FALSE(WriteReasonFile(gone, lines, QStringLiteral("No acceptable barcodes found.")).isEmpty());
    EXPECT_FALSE(QFile::exists(gone));
}

} // namespace
