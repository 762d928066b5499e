// Barcodes and setup texts that cannot name a decoded file: the page is set aside with the
// reason, never written under a name that leaves the decoded directory or that the store cannot
// carry.
#include "DecodeRig.h"
#include "core/util/SafePaths.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::decodetest;

namespace {

const QString Code128 = QStringLiteral("CODE128");
const QString Refused = QStringLiteral("Barcode not usable as a file name: ");

struct NamedPage {
    QString barcode;
    const char* reason; // the last line of the page's reason file, "" when the page is decoded
};

TEST(DecodeImages, BarcodesThatCannotNameAFileSendThePageToTheProblems) {
    // The longest name that fits: 221 characters + "~HISTS2" + five digits + ".tif"; long
    // barcodes are even numbers of digits.
    static_assert(MaxDecodedNameBytes - 16 == 221);
    const std::vector<NamedPage> pages = {
        {"..x", "it starts with \".\"."},
        {".5", "it starts with \".\"."},
        {"x..", ""},
        {QString(220, QLatin1Char('1')), ""},
        {QString(222, QLatin1Char('2')), "it is too long."},
        {QString(226, QLatin1Char('3')), "it is too long."},
        {QString(240, QLatin1Char('4')), "it is too long."},
    };
    DecodeRig rig;
    rig.digitsTo = 250;
    rig.setOptions(0);
    std::vector<PageSketch> sketches;
    for (const NamedPage& page : pages) {
        // Wide enough for a long Code 128 symbol at 3 pixels a module.
        if (page.barcode.size() > 100)
            sketches.push_back(PageSketch(200, 560, 297).code128Digits(page.barcode, 10, 15).text(40, 250));
        else
            sketches.push_back(PageSketch(200).symbol(Code128, page.barcode, 10, 15).text(40, 250));
    }
    ASSERT_EQ(rig.writeBatch(sketches), QString());

    rig.run();

    const QStringList decoded = rig.decoded();
    QStringList reasons = rig.problems().filter(QRegularExpression(QStringLiteral("\\.scn$")));
    for (const NamedPage& page : pages) {
        SCOPED_TRACE(page.barcode.left(12).toStdString());
        const QString name = page.barcode + QStringLiteral("~HISTS2");
        const bool filed = !decoded
                                .filter(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(name) +
                                                           QStringLiteral("[0-9A-F]{5}\\.tif$")))
                                .isEmpty();
        if (!*page.reason) {
            EXPECT_TRUE(filed) << decoded.join(' ').toStdString();
            continue;
        }
        EXPECT_FALSE(filed);
        ASSERT_FALSE(reasons.isEmpty());
        const QStringList lines = rig.reasonLines(reasons.takeFirst());
        EXPECT_EQ(lines.value(2), page.barcode + QLatin1Char(':')); // Code 128 is slot 3
        EXPECT_EQ(lines.last().toStdString(), (Refused + page.reason).toStdString());
    }
    EXPECT_TRUE(reasons.isEmpty());
    EXPECT_EQ(decoded.size(), 2);
    EXPECT_TRUE(rig.prompter.shown().empty()) << "no page lost to the kept batch";
}

TEST(DecodeImages, ADocumentCodeOrScannerIdThatWouldLeaveTheDirectorySetsThePageAside) {
    const struct {
        const char* docCode;
        const char* scannerId;
        const char* reason;
    } cases[] = {
        {"~../../HIST", "S2",
         "Document code or scanner ID not usable in a file name (\"~../../HISTS2\"): it holds \"/\"."},
        {"~HIST", "S2\\x", "Document code or scanner ID not usable in a file name (\"~HISTS2\\x\"): it holds \"\\\"."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.docCode);
        DecodeRig rig;
        rig.station.editSetup().SetupInfo.DocDefs[0].DocCode = QString::fromLatin1(c.docCode);
        rig.station.editSetup().SetupInfo.ScannerId = QString::fromLatin1(c.scannerId);
        ASSERT_EQ(
            rig.writeBatch({PageSketch(200).symbol(QStringLiteral("CODABAR"), "A12345678A", 30, 15).text(40, 250)}),
            QString());

        rig.run();

        EXPECT_TRUE(rig.decoded().isEmpty());
        EXPECT_TRUE(QDir(rig.dir.path()).entryList(QDir::Files).isEmpty());
        const QStringList problems = rig.problems();
        ASSERT_EQ(problems.size(), 2);
        EXPECT_EQ(rig.reasonLines(problems[0]).last().toStdString(), c.reason);
    }
}

} // namespace
