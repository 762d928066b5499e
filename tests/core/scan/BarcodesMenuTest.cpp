#include "core/scan/BarcodesMenu.h"
#include "core/ports/IniSource.h"
#include "support/TempStation.h"
#include "support/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

// Choosing "(default)" reads no profile file.
class NoProfileFiles : public IniSource {
public:
    bool readEntries(const QString& path, std::vector<IniEntry>&, QString&) const override {
        ADD_FAILURE() << "profile file read: " << path.toStdString();
        return false;
    }
};

using test::Touch;

QStringList Captions(const BarcodesMenu& m) {
    QStringList c;
    for (const auto& i : m.Items) c << i.Caption;
    return c;
}

QList<bool> Ticks(const BarcodesMenu& m) {
    QList<bool> t;
    for (const auto& i : m.Items) t << i.Checked;
    return t;
}

} // namespace

TEST(BarcodesMenu, AcceleratorMarksAreRemovedAndNamesShownAsTheyAre) {
    EXPECT_EQ(StripHotkey("&Referral"), "Referral");
    EXPECT_EQ(StripHotkey("R&&D"), "R&D");
    EXPECT_EQ(StripHotkey("a&"), "a");
    EXPECT_EQ(StripHotkey("(default)"), "(default)");
    EXPECT_EQ(MenuCaption("R&D"), "R&&D");
    EXPECT_EQ(StripHotkey(MenuCaption("A && B & C")), "A && B & C");
}

TEST(BarcodesMenu, OpeningTheMenuOffersTheDefaultAndTheStpFilesOnly) {
    test::TempStation ts;
    Touch(ts.path("Referral.stp"));
    Touch(ts.path("Capitals.STP"));
    Touch(ts.path("Other.txt"));
    BarcodesMenu menu;
    itmBarcodesClick(menu, ts.station.setup().ProgramDir);
    EXPECT_EQ(Captions(menu), (QStringList{"(default)", "Referral"}));
    EXPECT_EQ(Ticks(menu), (QList<bool>{true, false}));
    // Rebuilt every time it opens.
    Touch(ts.path("R&D.stp"));
    itmBarcodesClick(menu, ts.station.setup().ProgramDir);
    EXPECT_EQ(menu.Items.size(), 3);
    EXPECT_TRUE(Captions(menu).contains("R&&D"));
    EXPECT_EQ(Ticks(menu), (QList<bool>{true, false, false}));
}

TEST(BarcodesMenu, TheTickFollowsTheProfileNameAndVanishesWithItsFile) {
    test::TempStation ts;
    Touch(ts.path("A.stp"));
    Touch(ts.path("R&D.stp"));
    BarcodesMenu menu;
    itmBarcodesClick(menu, ts.station.setup().ProgramDir);
    for (auto& item : menu.Items) item.Checked = StripHotkey(item.Caption) == "R&D";

    Touch(ts.path("C.stp"));
    itmBarcodesClick(menu, ts.station.setup().ProgramDir);
    for (const auto& item : menu.Items) EXPECT_EQ(item.Checked, item.Caption == "R&&D") << item.Caption.toStdString();

    ASSERT_TRUE(QFile::rename(ts.path("R&D.stp"), ts.path("Renamed.stp")));
    itmBarcodesClick(menu, ts.station.setup().ProgramDir);
    EXPECT_TRUE(Captions(menu).contains("Renamed"));
    EXPECT_EQ(Ticks(menu), QList<bool>(menu.Items.size(), false));
}

TEST(BarcodesMenu, ChoosingTheDefaultRestoresTheSetupTypeInBothReaders) {
    test::TempStation ts;
    Station& s = ts.station;
    s.ui.Caption = "KestrovaNT S1";
    s.editSetup().SetupInfo.NarrowFrom = 2, s.editSetup().SetupInfo.NarrowTo = 4, s.editSetup().SetupInfo.WideFrom = 5,
    s.editSetup().SetupInfo.WideTo = 10;
    s.editSetup().SetupInfo.MinPageHeight = 270, s.editSetup().SetupInfo.BarcodeTypes = 0x80000000,
    s.editSetup().SetupInfo.ExtraValidation = "12??";
    s.MainReader.NarrowFrom = s.RotatedReader.NarrowFrom = 7;
    s.ui.lblBarcodeProfile = "Current barcode type is: X";
    BarcodesMenu menu;
    menu.Items = {{"(default)", false}, {"X", true}};
    NoProfileFiles none;

    ts.prompter.expectMessage("KestrovaNT S1");
    EXPECT_TRUE(Default1Click(s, none, menu, 0));
    ASSERT_EQ(ts.prompter.shown().size(), 1u);
    EXPECT_EQ(ts.prompter.shown()[0].text, "Default barcode type has been loaded.");
    EXPECT_EQ(ts.prompter.shown()[0].icon, MessageIcon::Information);
    EXPECT_EQ(s.ui.lblBarcodeProfile, "System is using default barcode type");
    EXPECT_EQ(Ticks(menu), (QList<bool>{true, false}));
    for (const barcode::QVCodabar* r : {&s.MainReader, &s.RotatedReader}) {
        EXPECT_EQ(r->NarrowFrom, 2);
        EXPECT_EQ(r->Flags, 0x80000000u);
        EXPECT_EQ(r->Extra->GetPatterns(), "12??;");
    }

    s.editSetup().ImagePerBarcode = true;
    ts.prompter.expectMessage("KestrovaNT S1");
    EXPECT_TRUE(Default1Click(s, none, menu, 0));
    EXPECT_EQ(s.ui.lblBarcodeProfile,
              "System is using default barcode type.  An image will be produced for each Barcode found.");
    EXPECT_TRUE(ts.prompter.allAnswered());
}
