#include "IniTestFiles.h"
#include "core/scan/BarcodeProfiles.h"
#include "core/scan/BarcodesMenu.h"
#include "platform/ini/SimpleIniSource.h"
#include "support/TempStation.h"

#include <gtest/gtest.h>

using namespace kestrova;

namespace {

const QByteArray Profile = "[Scanning]\r\nMinimum Page Height=270\r\n"
                           "[Barcode Profiles\\Barcode Profile:0]\r\n"
                           "Number of Digits Range: From=6\r\nNumber of Digits Range: To=10\r\n"
                           "Codabar Narrow Bar Bit Range: From=2\r\nCodabar Narrow Bar Bit Range: To=4\r\n"
                           "Codabar Wide Bar Bit Range: From=300\r\nCodabar Wide Bar Bit Range: To=0x10\r\n"
                           "Codabar Double Wide Bar Bit Range: From=17\r\nCodabar Double Wide Bar Bit Range: To=20\r\n"
                           "Codabar Quad Wide Bar Bit Range: From=21\r\nCodabar Quad Wide Bar Bit Range: To=30\r\n"
                           "Code 39 Narrow Bar Bit Range: From=8\r\nCode 39 Narrow Bar Bit Range: To=9\r\n"
                           "Code 39 Wide Bar Bit Range: From=40\r\nCode 39 Wide Bar Bit Range: To=50\r\n"
                           "Barcode Option: Code 39=1\r\nBarcode Option: Code 39 Check Digit=1\r\n"
                           "Search Option=5\r\nOther Option: Backgroud Is White=1\r\n"
                           "Extra Barcode Validation=R1?? ; r1??\r\n";

struct Selection {
    test::TempStation ts;
    SimpleIniSource source;
    BarcodesMenu menu;

    Selection() {
        Station& s = ts.station;
        s.ui.Caption = "KestrovaNT S1";
        s.editSetup().SetupInfo.NarrowFrom = 1, s.editSetup().SetupInfo.NarrowTo = 3,
        s.editSetup().SetupInfo.WideFrom = 4, s.editSetup().SetupInfo.WideTo = 8;
        s.editSetup().SetupInfo.DigitsFrom = 4, s.editSetup().SetupInfo.DigitsTo = 12,
        s.editSetup().SetupInfo.MinPageHeight = 200;
        s.editSetup().SetupInfo.BarcodeTypes = 0x81000000, s.editSetup().SetupInfo.ExtraValidation = "9???";
        LoadDefaultBarcodeType(s);
    }
    Station& station() { return ts.station; }
    int indexOf(const QString& name) const {
        for (qsizetype i = 0; i < menu.Items.size(); ++i)
            if (StripHotkey(menu.Items[i].Caption) == name) return static_cast<int>(i);
        return -1;
    }
    QList<bool> ticks() const {
        QList<bool> t;
        for (const auto& i : menu.Items) t << i.Checked;
        return t;
    }
};

void ExpectSetupType(const Station& s) {
    for (const barcode::QVCodabar* r : {&s.MainReader, &s.RotatedReader}) {
        EXPECT_EQ(r->NarrowFrom, 1);
        EXPECT_EQ(r->WideTo, 8);
        EXPECT_EQ(r->Flags, 0x81000000u);
        EXPECT_EQ(r->Extra->GetPatterns(), "9???;");
    }
}

} // namespace

TEST(BarcodeProfileSelection, AProfileReachesBothReadersWithItsCodabarRangesAsLowBytes) {
    Selection sel;
    test::WriteBytes(sel.ts.path("Referral.stp"), Profile);
    QString error;
    ASSERT_TRUE(LoadBarcodeProfile(sel.station(), sel.source, "Referral", &error)) << error.toStdString();
    for (const barcode::QVCodabar* r : {&sel.station().MainReader, &sel.station().RotatedReader}) {
        // The Code 39 ranges (8..9, 40..50) never reach the reader: it reads Code 39 with these.
        EXPECT_EQ(r->NarrowFrom, 2);
        EXPECT_EQ(r->NarrowTo, 4);
        EXPECT_EQ(r->WideFrom, 44); // 300
        EXPECT_EQ(r->WideTo, 16);
        EXPECT_EQ(r->DoubleFrom, 17);
        EXPECT_EQ(r->QuadTo, 30);
        EXPECT_EQ(r->DigitsFrom, 6);
        EXPECT_EQ(r->DigitsTo, 10);
        EXPECT_EQ(r->MinHeightMilli, 270000);
        // Search option 5 selects none of the four search bits.
        EXPECT_EQ(r->Flags, 0x40000000u | 0x00008000u | 0x02000000u);
        EXPECT_EQ(r->InkThreshold, 200);
        EXPECT_EQ(r->Extra->GetPatterns(), "R1??;r1??;");
    }
}

TEST(BarcodeProfileSelection, ChoosingProfilesAndTheDefaultSetsLabelsAndMessages) {
    Selection sel;
    test::WriteBytes(sel.ts.path("O'Brien & Co.stp"), Profile);
    itmBarcodesClick(sel.menu, sel.station().setup().ProgramDir);
    const int item = sel.indexOf("O'Brien & Co");
    ASSERT_EQ(item, 1);
    EXPECT_EQ(sel.menu.Items[1].Caption, "O'Brien && Co");

    sel.ts.prompter.expectMessage("KestrovaNT S1");
    ASSERT_TRUE(Default1Click(sel.station(), sel.source, sel.menu, item));
    EXPECT_EQ(sel.ts.prompter.shown().back().text, "Barcode type 'O''Brien & Co' has been loaded.");
    EXPECT_EQ(sel.ts.prompter.shown().back().icon, MessageIcon::Information);
    EXPECT_EQ(sel.station().ui.lblBarcodeProfile, "Current barcode type is: O'Brien & Co");
    EXPECT_EQ(sel.ticks(), (QList<bool>{false, true}));
    EXPECT_EQ(sel.station().RotatedReader.WideFrom, 44);

    sel.station().editSetup().ImagePerBarcode = true;
    sel.ts.prompter.expectMessage("KestrovaNT S1");
    ASSERT_TRUE(Default1Click(sel.station(), sel.source, sel.menu, item));
    EXPECT_EQ(sel.station().ui.lblBarcodeProfile,
              "Current barcode type is: O'Brien & Co.  An image will be produced for each Barcode found.");

    sel.ts.prompter.expectMessage("KestrovaNT S1");
    ASSERT_TRUE(Default1Click(sel.station(), sel.source, sel.menu, 0));
    EXPECT_EQ(sel.ts.prompter.shown().back().text, "Default barcode type has been loaded.");
    EXPECT_EQ(sel.ticks(), (QList<bool>{true, false}));
    ExpectSetupType(sel.station());
    EXPECT_TRUE(sel.ts.prompter.allAnswered());
}

TEST(BarcodeProfileSelection, AProfileThatCannotBeLoadedChangesNothing) {
    Selection sel;
    test::WriteBytes(sel.ts.path("NoZero.stp"), "[Barcode Profiles\\Barcode Profile:1]\nProfile Name=one\n"
                                                "Codabar Narrow Bar Bit Range: From=9\n");
    test::WriteBytes(sel.ts.path("Vanishing.stp"), Profile);
    QByteArray junk(3000, '\0');
    for (int i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 131) ^ (i >> 3));
    test::WriteBytes(sel.ts.path("Junk.stp"), junk);
    itmBarcodesClick(sel.menu, sel.station().setup().ProgramDir);
    ASSERT_TRUE(QFile::remove(sel.ts.path("Vanishing.stp")));
    const QString label = sel.station().ui.lblBarcodeProfile;

    for (const char* name : {"NoZero", "Vanishing", "Junk"}) {
        const int item = sel.indexOf(name);
        ASSERT_GT(item, 0) << name;
        sel.ts.prompter.expectMessage("KestrovaNT S1");
        EXPECT_FALSE(Default1Click(sel.station(), sel.source, sel.menu, item)) << name;
        const auto& shown = sel.ts.prompter.shown().back();
        EXPECT_EQ(shown.icon, MessageIcon::Error);
        EXPECT_TRUE(shown.text.startsWith(QStringLiteral("Barcode type '%1' could not be loaded: ").arg(name)))
            << shown.text.toStdString();
        EXPECT_TRUE(shown.text.contains(sel.ts.path(name + QStringLiteral(".stp")))) << shown.text.toStdString();
        EXPECT_EQ(sel.station().ui.lblBarcodeProfile, label);
        EXPECT_TRUE(sel.menu.Items[0].Checked);
        EXPECT_FALSE(sel.menu.Items[item].Checked);
        ExpectSetupType(sel.station());
    }
    EXPECT_EQ(sel.station().eventLog().lines().size(), 3);
}

TEST(BarcodeProfileSelection, ARenamedProfileFileLeavesNoItemTicked) {
    Selection sel;
    test::WriteBytes(sel.ts.path("Referral.stp"), Profile);
    test::WriteBytes(sel.ts.path("Capitals.STP"), Profile);
    test::WriteBytes(sel.ts.path("Other.ini"), Profile);
    itmBarcodesClick(sel.menu, sel.station().setup().ProgramDir);
    ASSERT_EQ(sel.menu.Items.size(), 2);
    sel.ts.prompter.expectMessage("KestrovaNT S1");
    ASSERT_TRUE(Default1Click(sel.station(), sel.source, sel.menu, 1));
    ASSERT_TRUE(QFile::rename(sel.ts.path("Referral.stp"), sel.ts.path("Referral 2.stp")));
    itmBarcodesClick(sel.menu, sel.station().setup().ProgramDir);
    ASSERT_EQ(sel.menu.Items.size(), 2);
    EXPECT_EQ(sel.menu.Items[1].Caption, "Referral 2");
    EXPECT_EQ(sel.ticks(), (QList<bool>{false, false}));
    // The readers keep the chosen type until another is chosen.
    EXPECT_EQ(sel.station().MainReader.WideFrom, 44);
}
