// The names the operator types for a problem page: which are filed, which are ignored and which
// are refused because they cannot be a file name in the decoded directory.
#include "ProblemRig.h"
#include "barcode/TBcodeExtra.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::decodetest;
using namespace kestrova::problemtest;

namespace {

const QString Stamp = QStringLiteral("20261208140000000");

struct TypedName {
    const char* typed;
    const char* patterns; // validation patterns, "" for none
    int digitsFrom, digitsTo;
    const char* filed; // pattern of the decoded name, "" when nothing is filed
};

TEST(ProblemResolution, TypedNamesAreFiledOnlyWhenValidAndWithinTheLengthBounds) {
    const std::vector<TypedName> cases = {
        {"1234", "", 4, 8, "^1234~HISTS2z[0-9A-F]{5}\\.tif$"},
        {"  12345678 ", "", 4, 8, "^12345678~HISTS2z[0-9A-F]{5}\\.tif$"},
        {"123", "", 4, 8, ""},       // too short
        {"123456789", "", 4, 8, ""}, // too long
        {"12AB", "", 2, 8, ""},      // not a number
        {"-123", "", 2, 8, ""},
        {"   ", "", 0, 8, ""},
        {"!12AB", "", 2, 8, "^12AB~HISTS2z[0-9A-F]{5}\\.tif$"},
        {"!1", "", 4, 8, "^1~HISTS2z[0-9A-F]{5}\\.tif$"}, // forced: the bounds do not apply
        {"AB12", "AB??", 2, 8, "^AB12~HISTS2z[0-9A-F]{5}\\.tif$"},
        {"AB1234", "XY*;AB??", 2, 8, "^AB1234~HISTS2z[0-9A-F]{5}\\.tif$"}, // a pattern matches the start
        {"AC12", "AB??", 2, 8, ""},
        {"AB1", "AB??", 2, 8, "^AB1~HISTS2z[0-9A-F]{5}\\.tif$"}, // a text shorter than the pattern
        {"1234", "AB??", 2, 8, ""},                              // the patterns decide, digits alone are not enough
        {"AB123456789", "AB??", 2, 8, ""},                       // accepted, but too long
        {"!XY", "AB??", 2, 8, "^XY~HISTS2z[0-9A-F]{5}\\.tif$"},
        // Patterns that accept anything do not make forced names and "*all" subject to the bounds.
        {"!12AB", "????", 8, 10, "^12AB~HISTS2z[0-9A-F]{5}\\.tif$"},
        {"*all", "????", 8, 10, "^777~HISTS2x[0-9A-F]{5}\\.tif$"},
        {"AB12\xe2\x82\xac", "AB??", 2, 8, ""}, // not representable for the reader
    };
    for (const TypedName& c : cases) {
        SCOPED_TRACE(c.typed);
        ProblemRig rig;
        rig.station.editSetup().SetupInfo.DigitsFrom = c.digitsFrom;
        rig.station.editSetup().SetupInfo.DigitsTo = c.digitsTo;
        if (*c.patterns) {
            rig.station.MainReader.Extra = std::make_unique<barcode::TBcodeExtra>();
            rig.station.MainReader.Extra->SetPatterns(c.patterns);
        }
        const QString problem = rig.writeProblem(Stamp, FormWithCodabar("A1A"), {"", "", "", "", "", "A777A:"});
        ASSERT_FALSE(problem.isEmpty());
        rig.resolution.ShowNextProblem();
        ASSERT_EQ(rig.resolution.currentFile(), problem);
        ASSERT_EQ(rig.resolution.newbarcodeText.toStdString(), "777");

        rig.accept(QString::fromUtf8(c.typed));

        const QStringList decoded = rig.decoded();
        if (*c.filed) {
            ASSERT_EQ(decoded.size(), 1);
            EXPECT_FALSE(OnlyMatch(decoded, c.filed).isEmpty()) << Joined(decoded);
            EXPECT_TRUE(rig.problems().isEmpty());
            EXPECT_EQ(rig.statusViews, 1);
        } else {
            EXPECT_TRUE(decoded.isEmpty()) << Joined(decoded);
            EXPECT_EQ(rig.problems().size(), 2);
            EXPECT_EQ(rig.resolution.currentFile(), problem);
        }
        // A page filed says so, and nothing else is logged.
        EXPECT_TRUE(rig.log().filter(QRegularExpression("^(?!Problem page )")).isEmpty()) << Joined(rig.log());
    }
}

// Names that would put the page outside the decoded directory, or under a request number that is
// not the one typed, are logged and never written, whether typed, forced or among the candidates.
TEST(ProblemResolution, NamesThatCannotBeAFileNameAreLoggedAndNeverWritten) {
    const QStringList forced = {QStringLiteral("!../12"),
                                QStringLiteral("!a/b"),
                                QStringLiteral("!a\\b"),
                                QStringLiteral("!12~REQ"),
                                QStringLiteral("!.."),
                                QStringLiteral("!."),
                                QStringLiteral("!12\x01") + QStringLiteral("3"),
                                QStringLiteral("!") + QString(300, '1'),
                                QStringLiteral("!..name"),
                                QStringLiteral("!.hidden"),
                                QStringLiteral("!") + QString(226, '1'), // longer than the store carries
                                QStringLiteral("!")};
    ProblemRig rig;
    const QString problem = rig.writeProblem(Stamp, FormWithCodabar("A1A"));
    rig.resolution.ShowNextProblem();
    const QStringList before = test::FilesBelow(rig.dir.path());
    for (const QString& name : forced) {
        SCOPED_TRACE(name.left(20).toStdString());
        const qsizetype logged = rig.log().size();
        rig.accept(name);
        const QStringList lines = rig.logFrom(logged);
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Barcode not usable as a file name: "))) << Joined(lines);
        EXPECT_EQ(rig.resolution.currentFile(), problem);
    }
    EXPECT_EQ(Joined(test::FilesBelow(rig.dir.path())), Joined(before));

    // A document code from the setup file that would leave the decoded directory refuses every name.
    rig.station.editSetup().SetupInfo.DocDefs[0].DocCode = QStringLiteral("~../HIST");
    rig.accept(QStringLiteral("!1234"));
    EXPECT_TRUE(rig.log().last().startsWith(QStringLiteral("Document code or scanner ID not usable in a file name")))
        << Joined(rig.log());
    EXPECT_EQ(Joined(test::FilesBelow(rig.dir.path())), Joined(before));

    // The same names among the page's candidates: "*all" files the others and keeps the page with
    // the unusable one.
    ProblemRig all;
    const QString page = all.writeProblem(Stamp, FormWithCodabar("A1A"),
                                          {"", "12/3:456:.5:", "", "", "", "A..A:A789A:"}, "3 barcodes found");
    all.resolution.ShowNextProblem();
    EXPECT_EQ(Joined(all.resolution.newbarcodeItems), "*All|12/3|456|.5|..|789");
    all.accept(QStringLiteral("*all"));
    const QStringList decoded = all.decoded();
    EXPECT_EQ(decoded.size(), 2) << Joined(decoded);
    EXPECT_FALSE(OnlyMatch(decoded, "^456~HISTS2x[0-9A-F]{5}\\.tif$").isEmpty()) << Joined(decoded);
    EXPECT_FALSE(OnlyMatch(decoded, "^789~HISTS2x[0-9A-F]{5}\\.tif$").isEmpty()) << Joined(decoded);
    EXPECT_EQ(all.log().filter(QStringLiteral("Barcode not usable as a file name: ")).size(), 3) << Joined(all.log());
    EXPECT_TRUE(QFileInfo::exists(all.problemsDir + page));
    EXPECT_EQ(all.resolution.currentFile(), page);
    EXPECT_EQ(Joined(all.resolution.newbarcodeItems), "*All|12/3|.5|..");
    EXPECT_EQ(all.resolution.ProblemTypeLabel.toStdString(), "3 barcodes found Already filed as 456, 789.");
    EXPECT_EQ(all.resolution.newbarcodeText, QString());
    // Accepting again files nothing twice; the operator names the page by hand.
    all.accept(QStringLiteral("*ALL"));
    EXPECT_EQ(all.decoded().size(), 2);
    // Shown again (the program started anew), the page offers only the names still unfiled.
    all.resolution.ShowNextProblem();
    EXPECT_EQ(Joined(all.resolution.newbarcodeItems), "*All|12/3|.5|..");
    all.accept(QStringLiteral("*all"));
    EXPECT_EQ(all.decoded().size(), 2);
    all.accept(QStringLiteral("123"));
    EXPECT_EQ(all.decoded().size(), 3);
    EXPECT_TRUE(all.problems().isEmpty());
}

// "*all" cut short after filing every candidate, before the problem was removed: accepting the
// page again removes it and files nothing twice.
TEST(ProblemResolution, AllCutShortAfterFilingEveryNameOnlyRemovesTheProblem) {
    ProblemRig rig;
    const QString page =
        rig.writeProblem(Stamp, FormWithCodabar("A1A"), {"", "", "", "", "", "A123A:A456A:"}, "2 barcodes found");
    ASSERT_EQ(WriteFiledRecord(rig.problemsDir + Stamp + ".scn", {"123", "456"}), QString());
    rig.resolution.ShowNextProblem();
    EXPECT_TRUE(rig.resolution.newbarcodeItems.isEmpty()) << Joined(rig.resolution.newbarcodeItems);
    EXPECT_EQ(rig.resolution.ProblemTypeLabel.toStdString(), "2 barcodes found Already filed as 123, 456.");

    rig.accept(QStringLiteral("*all"));

    EXPECT_TRUE(rig.decoded().isEmpty());
    EXPECT_TRUE(rig.problems().isEmpty());
}

} // namespace
