// The barcode list dialog's list: what "Add" takes, refuses and tells the operator, and how the
// list goes back into the problem page's name box.
#include "core/scan/BarcodeList.h"
#include "ProblemRig.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::decodetest;
using namespace kestrova::problemtest;

namespace {

const QString AddError = QStringLiteral("Add Barcode - Error");

struct Added {
    const char* typed;
    const char* selected; // "" when nothing is added
    const char* message;  // "" when none is shown
};

TEST(BarcodeList, AddCleansTheTextChecksItsLengthAndMarksNamesThatAreNotNumbers) {
    const std::vector<Added> cases = {
        {"1234", "1234", ""},
        {" 5678 ", "5678", ""},
        {"12", "", "Barcode number or Label too short."},
        {"1/2:3", "123", ""},
        {"123456789", "", "Barcode number too Long."},
        {"ABCDEFGHIJ", "!ABCDEFGHIJ", ""}, // the upper bound is for numbers only
        {"AB/1", "!AB1", ""},
        {"!XYZ", "!XYZ", ""},
        {"a\\b*c?d\"e<f>g|h", "!abcdefgh", ""},
        {"1234", "1234", ""}, // already listed: selected, not added again
        {"", "", ""},
        {"/*?", "", "Barcode number or Label too short."},
    };
    test::ScriptedPrompter prompter;
    BarcodeList list(prompter, 3, 8);
    list.setEditedBarcodes({"900", "100", "900"});
    EXPECT_EQ(Joined(list.EditedBarcodes()), "900|100");
    list.show();
    EXPECT_EQ(Joined(list.EditedBarcodes()), "100|900");
    for (const Added& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::size_t shown = prompter.shown().size();
        if (*c.message) prompter.expectMessage(AddError);
        EXPECT_EQ(list.add(QString::fromUtf8(c.typed)).toStdString(), c.selected);
        ASSERT_EQ(prompter.shown().size(), shown + (*c.message ? 1 : 0));
        if (*c.message) {
            EXPECT_EQ(prompter.shown().back().text.toStdString(), c.message);
            EXPECT_EQ(prompter.shown().back().icon, MessageIcon::Error);
        }
    }
    EXPECT_TRUE(prompter.allAnswered());
    EXPECT_EQ(Joined(list.EditedBarcodes()), "!AB1|!ABCDEFGHIJ|!XYZ|!abcdefgh|100|123|1234|5678|900");

    // Remove keeps the selection at the same place, or on the last entry.
    EXPECT_EQ(list.remove(1), 1);
    EXPECT_EQ(Joined(list.EditedBarcodes()), "!AB1|!XYZ|!abcdefgh|100|123|1234|5678|900");
    EXPECT_EQ(list.remove(7), 6);
    EXPECT_EQ(list.remove(-1), -1); // nothing selected, nothing removed
    EXPECT_EQ(list.remove(42), 6);
    for (int i = 0; i < 6; ++i) list.remove(0);
    EXPECT_EQ(Joined(list.EditedBarcodes()), "5678");
    EXPECT_EQ(list.remove(0), -1);
    EXPECT_EQ(list.remove(0), -1);
    EXPECT_TRUE(list.EditedBarcodes().isEmpty());

    // Without a lower bound, a text left with no name is still refused.
    BarcodeList unbounded(prompter, 0, 8);
    for (const char* typed : {"/", "!", " ! "}) {
        SCOPED_TRACE(typed);
        prompter.expectMessage(AddError);
        EXPECT_EQ(unbounded.add(QString::fromUtf8(typed)), QString());
        EXPECT_EQ(prompter.shown().back().text.toStdString(), "Barcode number or Label too short.");
    }
    EXPECT_TRUE(unbounded.EditedBarcodes().isEmpty());
}

TEST(BarcodeList, TheEditedListBecomesTheCandidatesOfTheProblemPage) {
    ProblemRig rig;
    const QString problem = rig.writeProblem("20261208140000000", FormWithCodabar("A1A"),
                                             {"", "456:", "", "", "", "A123A:A456A:"}, "3 barcodes found");
    rig.resolution.ShowNextProblem();
    ASSERT_EQ(Joined(rig.resolution.newbarcodeItems), "*All|456|123");

    BarcodeList list(rig.prompter, 2, 8);
    list.setEditedBarcodes(rig.resolution.EditedBarcodesFromItems());
    EXPECT_EQ(Joined(list.EditedBarcodes()), "456|123");
    list.show();
    EXPECT_EQ(list.add(QStringLiteral("AB/1")).toStdString(), "!AB1");
    list.remove(2);
    rig.resolution.SetEditedBarcodes(list.EditedBarcodes());

    EXPECT_EQ(Joined(rig.resolution.newbarcodeItems), "*All|!AB1|123");
    EXPECT_EQ(rig.resolution.newbarcodeText.toStdString(), "*All");
    EXPECT_EQ(rig.resolution.ProblemTypeLabel.toStdString(), "2 barcodes listed.");

    // "*all" files the page under every entry; the "!" only marks a name that is not a number.
    rig.resolution.AcceptProblemName();
    const QStringList decoded = rig.decoded();
    EXPECT_EQ(decoded.size(), 2) << Joined(decoded);
    EXPECT_FALSE(OnlyMatch(decoded, "^AB1~HISTS2x[0-9A-F]{5}\\.tif$").isEmpty()) << Joined(decoded);
    EXPECT_FALSE(OnlyMatch(decoded, "^123~HISTS2x[0-9A-F]{5}\\.tif$").isEmpty()) << Joined(decoded);
    EXPECT_TRUE(rig.problems().isEmpty());

    // An empty list leaves the box empty.
    rig.resolution.SetEditedBarcodes({});
    EXPECT_TRUE(rig.resolution.newbarcodeItems.isEmpty());
}

} // namespace
