// What the operator sees about where they are and what was done: deleted pages kept and restored,
// the event log lines of the problem view, page N of M, the hint for a name that is not taken.
#include "ProblemWindow.h"

#include "core/scan/DeletedProblems.h"
#include "gui/widgets/DocumentImageView.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::guitest;
using Tool = DocumentImageToolbar;

namespace {

QStringList LogLines(const TMainForm& f) {
    QStringList lines;
    for (int i = 0; i < f.LogList->count(); ++i) lines << f.LogList->item(i)->text();
    return lines;
}

bool Logged(const TMainForm& f, const QString& part) {
    for (const QString& line : LogLines(f))
        if (line.contains(part)) return true;
    return false;
}

} // namespace

TEST(OperatorGuidance, DeleteKeepsThePageForRestoreAndTheLogSaysSo) {
    ProblemWindow w;
    w.writeProblem(QStringLiteral("20261209101500"), {QStringLiteral("123:")});
    w.writeProblem(QStringLiteral("20261209101501"), {}, QStringLiteral("2 barcodes found"));
    TMainForm& f = *w.form;
    const QString problems = w.problems.problemsDir();
    const QString deleted = DeletedProblemsDir(problems);
    EXPECT_EQ(QDir(deleted).absolutePath(), QDir(w.s.path(QStringLiteral("deleted"))).absolutePath());

    f.FixProbsButton->click();
    EXPECT_EQ(f.ProblemPositionLabel->toolTip(), "Page 1 of 2: 20261209101500.tif");
    f.AcceptBarcodeButton->click();
    EXPECT_TRUE(Logged(f, QStringLiteral("Problem page 20261209101500.tif named 123 (123S1z")));
    EXPECT_EQ(f.ProblemPositionLabel->toolTip(), "Page 1 of 1: 20261209101501.tif");
    EXPECT_TRUE(f.ProblemLogLabel->toolTip().contains("Problem page 20261209101500.tif named 123"));

    f.DeleteButton->click();
    EXPECT_TRUE(w.problemFiles().isEmpty());
    EXPECT_EQ(QDir(deleted).entryList(QDir::Files), QStringList({"20261209101501.scn", "20261209101501.tif"}));
    EXPECT_TRUE(Logged(f, QStringLiteral("Deleted ") + problems + QStringLiteral("20261209101501.tif")));
    EXPECT_TRUE(Logged(f, QStringLiteral("Problem page 20261209101501.tif kept in ") + deleted + " for 30 days"));
    const QList<DeletedProblem> kept = DeletedProblems(problems);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept[0].reason, "2 barcodes found");
    EXPECT_EQ(kept[0].deleted, w.s.clock.now());

    // Restored, it is a problem page again with its reason; a second restore finds nothing.
    EXPECT_EQ(RestoreDeletedProblem(problems, QStringLiteral("20261209101501.tif")), "");
    EXPECT_NE(RestoreDeletedProblem(problems, QStringLiteral("20261209101501.tif")), "");
    EXPECT_NE(RestoreDeletedProblem(problems, QStringLiteral("../problems/20261209101501.tif")), "");
    f.FixProbsButton->click();
    EXPECT_EQ(f.ProblemTypeLabel->text(), "2 barcodes found");

    // Deleted again and kept for the station's days: pruned at the next delete after them.
    f.DeleteButton->click();
    w.writeProblem(QStringLiteral("20261209101502"), {});
    w.s.clock.set(w.s.clock.now().addDays(31));
    f.FixProbsButton->click();
    f.DeleteButton->click();
    EXPECT_EQ(QDir(deleted).entryList(QDir::Files), QStringList({"20261209101502.scn", "20261209101502.tif"}));
    EXPECT_TRUE(Logged(f, QStringLiteral("Deleted problem page 20261209101501.tif removed after 30 days.")));
}

TEST(OperatorGuidance, AReasonFileLeftByAnInterruptedDeleteFollowsItsPage) {
    ProblemWindow w;
    w.writeProblem(QStringLiteral("20261209101500"), {});
    const QString problems = w.problems.problemsDir();
    const QString deleted = DeletedProblemsDir(problems);
    ASSERT_TRUE(QDir().mkpath(deleted));
    ASSERT_TRUE(QFile::rename(problems + "20261209101500.tif", deleted + "20261209101500.tif"));
    EXPECT_EQ(MoveProblemToDeleted(problems, QStringLiteral("20261209101500.tif"), w.s.clock.now()), "");
    EXPECT_EQ(QDir(deleted).entryList(QDir::Files), QStringList({"20261209101500.scn", "20261209101500.tif"}));
    EXPECT_TRUE(w.problemFiles().isEmpty());
}

TEST(OperatorGuidance, ANameThatIsNotTakenSaysWhatIsExpected) {
    struct Case {
        const char* patterns;
        const char* typed;
        const char* hint; // empty: the name is taken
    };
    const Case cases[] = {
        {"", "12AB", "\"12AB\" is not a valid name. Expected: a request number: digits only, 3 to 10 characters"},
        {"", "12", "\"12\" is not a valid name. Expected: a request number: digits only, 3 to 10 characters"},
        {"", "12345678901", "\"12345678901\" is not a valid name."},
        {"H*", "X123", "\"X123\" is not a valid name. Expected: a name the validation patterns (H*) accept, 3 to 10"},
        {"H*", "H123", ""},
        {"", "!12AB", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ProblemWindow w;
        w.s.station.editSetup().SetupInfo.ExtraValidation = QString::fromLatin1(c.patterns);
        w.s.station.MainReader.Extra = std::make_unique<barcode::TBcodeExtra>();
        w.s.station.MainReader.Extra->SetPatterns(c.patterns);
        w.writeProblem(QStringLiteral("20261209101500"), {});
        TMainForm& f = *w.form;
        f.FixProbsButton->click();
        f.newbarcode->setEditText(QString::fromLatin1(c.typed));
        f.AcceptBarcodeButton->click();
        EXPECT_EQ(f.NameHintLabel->toolTip().left(int(qstrlen(c.hint))).toStdString(), c.hint);
        EXPECT_EQ(f.NameHintLabel->isVisible(), *c.hint != 0);
        EXPECT_EQ(w.decodedFiles().size(), *c.hint ? 0 : 1);
    }
}

TEST(OperatorGuidance, TheReviewSaysWhichPageOfTheBatchIsShown) {
    ProblemWindow w;
    w.writeImageSet(3);
    TMainForm& f = *w.form;
    f.ShowStatusView();
    f.ReviewLastBatch1->trigger();
    EXPECT_EQ(f.CurrentScannerBox->title(), "Last Scan Batch: page 1 of 3 (qvimageset.tif)");
    f.DecodeDocToolBar->action(Tool::LastPage)->trigger();
    EXPECT_EQ(f.CurrentScannerBox->title(), "Last Scan Batch: page 3 of 3 (qvimageset.tif)");
    f.ReviewLastBatch1->trigger();
    EXPECT_EQ(f.CurrentScannerBox->title(), "Last Scan Batch");
}
