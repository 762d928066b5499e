// Problem resolution when the files will not play along: the decoded directory missing, a problem
// image that cannot be loaded. The operator is told through the event log and no page is lost.
#include "ProblemRig.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::decodetest;
using namespace kestrova::problemtest;

namespace {

const QString WriteProblem =
    QStringLiteral("Problem writing to the Decoded Directory. Write Operation was unsuccessful for ");

TEST(ProblemResolution, AFailedWriteToTheDecodedDirectoryKeepsTheProblem) {
    ProblemRig rig;
    const QString problem = rig.writeProblem("20261208140000000", FormWithCodabar("A1A"),
                                             {"", "", "", "", "", "A123A:B456B:"}, "2 barcodes found");
    ASSERT_FALSE(problem.isEmpty());
    ASSERT_TRUE(QDir(rig.decodedDir).removeRecursively());
    rig.resolution.ShowNextProblem();
    ASSERT_EQ(rig.problemViews, 1);

    rig.accept(QStringLiteral("1234"));

    QStringList lines = rig.log();
    ASSERT_EQ(lines.size(), 1) << Joined(lines);
    EXPECT_TRUE(lines[0].startsWith(WriteProblem + rig.decodedDir + "1234~HISTS2z")) << Joined(lines);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(".tif")));
    EXPECT_EQ(rig.problems().size(), 2);
    EXPECT_EQ(rig.resolution.currentFile(), problem);
    EXPECT_EQ(rig.problemViews, 2); // shown again, as it was
    EXPECT_EQ(rig.resolution.newbarcodeText, QString());
    EXPECT_EQ(Joined(rig.resolution.newbarcodeItems), "*All|123|456");

    // Every candidate fails: each is logged, the page and its candidates stay.
    rig.accept(QStringLiteral("*all"));
    lines = rig.logFrom(1);
    ASSERT_EQ(lines.size(), 2) << Joined(lines);
    EXPECT_TRUE(lines[0].startsWith(WriteProblem + rig.decodedDir + "123~HISTS2x")) << Joined(lines);
    EXPECT_TRUE(lines[1].startsWith(WriteProblem + rig.decodedDir + "456~HISTS2x")) << Joined(lines);
    EXPECT_EQ(rig.problems().size(), 2);
    EXPECT_EQ(Joined(rig.resolution.newbarcodeItems), "*All|123|456");
    EXPECT_EQ(rig.resolution.newbarcodeText.toStdString(), "*all");

    // Once the directory is back, the same accept files both.
    ASSERT_TRUE(QDir().mkpath(rig.decodedDir));
    rig.resolution.AcceptProblemName();
    EXPECT_EQ(rig.decoded().size(), 2) << Joined(rig.decoded());
    EXPECT_TRUE(rig.problems().isEmpty());
    EXPECT_EQ(rig.statusViews, 1);
}

TEST(ProblemResolution, AnUnloadableProblemFileIsLoggedAndCanBeSkippedOrDeleted) {
    ProblemRig rig;
    const QString broken = QStringLiteral("20261208140000000.tif");
    ASSERT_TRUE(test::WriteFile(rig.problemsDir + broken, QByteArray(3000, '\x5a')));
    const QString good = rig.writeProblem("20261208140000001", FormWithCodabar("A1A"));
    ASSERT_FALSE(good.isEmpty());

    rig.resolution.FixProbsButtonClick();

    EXPECT_EQ(Joined(rig.log()), ("Error Loading filename " + broken).toStdString());
    EXPECT_EQ(rig.problemViews, 0);
    EXPECT_EQ(rig.statusViews, 0);
    // Nothing is filed while no page is shown.
    rig.accept(QStringLiteral("1234"));
    rig.accept(QStringLiteral("!1234"));
    EXPECT_TRUE(rig.decoded().isEmpty()) << Joined(rig.decoded());
    EXPECT_EQ(rig.problems().size(), 3);

    rig.resolution.SkipButtonClick();
    EXPECT_EQ(rig.resolution.currentFile(), good);
    EXPECT_EQ(rig.problemViews, 1);
    // Back on the broken file after a page was shown: that page is neither filed nor deleted.
    rig.resolution.SkipButtonClick();
    EXPECT_EQ(rig.log().size(), 2);
    EXPECT_EQ(rig.resolution.currentFile(), broken);
    EXPECT_EQ(rig.resolution.page(), nullptr);
    EXPECT_TRUE(rig.resolution.newbarcodeItems.isEmpty());
    rig.accept(QStringLiteral("1234"));
    EXPECT_TRUE(rig.decoded().isEmpty()) << Joined(rig.decoded());
    EXPECT_EQ(rig.problems().size(), 3);
    rig.resolution.DeleteButtonClick();
    EXPECT_EQ(rig.log().value(rig.log().size() - 2).toStdString(),
              ("Deleted " + rig.problemsDir + broken).toStdString());
    EXPECT_EQ(rig.resolution.currentFile(), good);
    EXPECT_EQ(rig.problems().size(), 2);
}

// A problem file that went away while shown: the page already in hand is filed, and the operator
// is told that the problem file could not be deleted.
TEST(ProblemResolution, AProblemFileThatCannotBeDeletedIsLogged) {
    ProblemRig rig;
    const QString first = rig.writeProblem("20261208140000000", FormWithCodabar("A1A"));
    const QString second = rig.writeProblem("20261208140000001", FormWithCodabar("A1A"));
    rig.resolution.ShowNextProblem();
    ASSERT_EQ(rig.resolution.currentFile(), first);
    ASSERT_TRUE(QFile::remove(rig.problemsDir + first));

    rig.accept(QStringLiteral("1234"));

    EXPECT_EQ(rig.log().last().toStdString(),
              ("Could not delete the problem file " + rig.problemsDir + first).toStdString());
    EXPECT_EQ(rig.decoded().size(), 1);
    EXPECT_EQ(rig.resolution.currentFile(), first);

    rig.resolution.DeleteButtonClick();
    EXPECT_EQ(rig.log().last().toStdString(), ("Could not delete " + rig.problemsDir + first).toStdString());
    EXPECT_EQ(rig.resolution.currentFile(), first);
    rig.resolution.SkipButtonClick();
    EXPECT_EQ(rig.resolution.currentFile(), second);
}

} // namespace
