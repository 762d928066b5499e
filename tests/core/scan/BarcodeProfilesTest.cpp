#include "core/scan/BarcodeProfiles.h"
#include "core/config/Configuration.h"
#include "support/TempStation.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

TKestrovaConfiguration WithOneProfile() {
    TKestrovaConfiguration c;
    c.ProfileSettings.add();
    c.ProfileSettings.item(0).SearchOption = 9; // no search bit unless a case sets one
    return c;
}

using test::Touch;

} // namespace

TEST(BarcodeProfiles, EachOptionOfTheFirstProfileAddsItsOwnBit) {
    using Set = std::function<void(TKestrovaBarcodeProfile&)>;
    const std::vector<std::pair<Set, std::uint32_t>> table{
        {[](auto& p) { p.OtherOptions.StopAfterFirstBarcode = true; }, 0x00000001},
        {[](auto& p) { p.OtherOptions.PunctuationNotValid = true; }, 0x00000002},
        {[](auto& p) { p.Options.CodabarStartA = true; }, 0x00000004},
        {[](auto& p) { p.Options.CodabarStartB = true; }, 0x00000008},
        {[](auto& p) { p.Options.CodabarStartC = true; }, 0x00000010},
        {[](auto& p) { p.Options.CodabarStartD = true; }, 0x00000020},
        {[](auto& p) { p.Options.Code25DropLeadingZero = true; }, 0x00001000},
        {[](auto& p) { p.Options.Code25CheckDigit = true; }, 0x00002000},
        {[](auto& p) { p.Options.Code39CheckDigit = true; }, 0x00008000},
        {[](auto& p) { p.Options.CodabarCheckDigit = true; }, 0x00020000},
        {[](auto& p) { p.OtherOptions.AutomaticallyInvert = true; }, 0x00040000},
        {[](auto& p) { p.OtherOptions.DeskewLeavesRemnant = true; }, 0x00080000},
        {[](auto& p) { p.SearchOption = 3; }, 0x00200000},
        {[](auto& p) { p.SearchOption = 2; }, 0x00400000},
        {[](auto& p) { p.SearchOption = 1; }, 0x00800000},
        {[](auto& p) { p.SearchOption = 0; }, 0x01000000},
        {[](auto& p) { p.SearchOption = 5; }, 0},
        {[](auto& p) { p.OtherOptions.BackgroundIsWhite = true; }, 0x02000000},
        {[](auto& p) { p.Options.Code128 = true; }, 0x10000000},
        {[](auto& p) { p.Options.Code25 = true; }, 0x20000000},
        {[](auto& p) { p.Options.Code39 = true; }, 0x40000000},
        {[](auto& p) { p.Options.Codabar = true; }, 0x80000000},
    };
    TKestrovaConfiguration all = WithOneProfile();
    std::uint32_t expectedAll = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        TKestrovaConfiguration c = WithOneProfile();
        table[i].first(c.ProfileSettings.item(0));
        EXPECT_EQ(ProfileBarcodeTypes(c), table[i].second) << "row " << i;
        if (table[i].second < 0x00200000 || table[i].second > 0x01000000) {
            table[i].first(all.ProfileSettings.item(0));
            expectedAll |= table[i].second;
        }
    }
    EXPECT_EQ(ProfileBarcodeTypes(all), expectedAll);

    // Only the first profile counts; a configuration without profiles gives no flags.
    TKestrovaConfiguration two = WithOneProfile();
    two.ProfileSettings.item(two.ProfileSettings.add()).Options.Codabar = true;
    EXPECT_EQ(ProfileBarcodeTypes(two), 0u);
    EXPECT_EQ(ProfileBarcodeTypes(TKestrovaConfiguration{}), 0u);
}

TEST(BarcodeProfiles, TheReaderGetsTheCodabarRangesAsLowBytes) {
    TKestrovaConfiguration c = WithOneProfile();
    TKestrovaBarcodeProfile& p = c.ProfileSettings.item(0);
    p.CodabarRanges.Narrow = {/*To*/ 4, /*From*/ 2};
    p.CodabarRanges.Wide = {10, 300};
    p.CodabarRanges.DoubleWide = {14, 11};
    p.CodabarRanges.QuadWide = {-1, 256};
    p.Code39Ranges.Narrow = {40, 30};
    p.Code39Ranges.Wide = {90, 50};
    p.DigitsRange = {10, 6};
    p.Options.Code39 = true;
    p.ExtraValidation = "R???;r???";
    c.ScanningSettings.MinPageHeight = 270;

    const BarcodeType t = ProfileBarcodeType(c);
    EXPECT_EQ(t.NarrowFrom, 2);
    EXPECT_EQ(t.NarrowTo, 4);
    EXPECT_EQ(t.WideFrom, 44); // 300
    EXPECT_EQ(t.WideTo, 10);
    EXPECT_EQ(t.DoubleFrom, 11);
    EXPECT_EQ(t.DoubleTo, 14);
    EXPECT_EQ(t.QuadFrom, 0); // 256
    EXPECT_EQ(t.QuadTo, 255); // -1
    EXPECT_EQ(t.DigitsFrom, 6);
    EXPECT_EQ(t.DigitsTo, 10);
    EXPECT_EQ(t.MinPageHeight, 270);
    EXPECT_EQ(t.Flags, 0x40000000u);
    EXPECT_EQ(t.ExtraValidation, "R???;r???");
}

TEST(BarcodeProfiles, TheDefaultTypeComesFromTheSetupFile) {
    setupinformation s;
    s.NarrowFrom = 1, s.NarrowTo = 3, s.WideFrom = 4, s.WideTo = 300;
    s.DoubleFrom = 9, s.DoubleTo = 12, s.QuadFrom = 13, s.QuadTo = 20;
    s.DigitsFrom = 5, s.DigitsTo = 12, s.MinPageHeight = 250;
    s.BarcodeTypes = 0x1C0000001LL; // beyond 32 bits
    s.ExtraValidation = "12??";
    const BarcodeType t = DefaultBarcodeType(s);
    EXPECT_EQ(t, (BarcodeType{1, 3, 4, 44, 9, 12, 13, 20, 5, 12, 250, 0xC0000001u, "12??"}));
}

TEST(BarcodeProfiles, LoadingTheDefaultTypeConfiguresBothReadersAlike) {
    test::TempStation ts;
    Station& s = ts.station;
    s.editSetup().SetupInfo.NarrowFrom = 2, s.editSetup().SetupInfo.NarrowTo = 4, s.editSetup().SetupInfo.WideFrom = 5,
    s.editSetup().SetupInfo.WideTo = 300;
    s.editSetup().SetupInfo.DigitsFrom = 6, s.editSetup().SetupInfo.DigitsTo = 10,
    s.editSetup().SetupInfo.MinPageHeight = 270;
    s.editSetup().SetupInfo.BarcodeTypes = 0x80000000;
    s.editSetup().SetupInfo.ExtraValidation = "R???;r???";
    LoadDefaultBarcodeType(s);
    for (const barcode::QVCodabar* r : {&s.MainReader, &s.RotatedReader}) {
        EXPECT_EQ(r->NarrowFrom, 2);
        EXPECT_EQ(r->WideTo, 44);
        EXPECT_EQ(r->DigitsTo, 10);
        EXPECT_EQ(r->MinHeightMilli, 270000);
        EXPECT_EQ(r->Flags, 0x80000000u);
        ASSERT_TRUE(r->Extra);
        EXPECT_EQ(r->Extra->GetPatterns(), "R???;r???;");
    }
    // Refused parameters (no symbology, no page height) are stored all the same.
    s.editSetup().SetupInfo = setupinformation{};
    LoadDefaultBarcodeType(s);
    EXPECT_EQ(s.MainReader.Flags, 0u);
    EXPECT_EQ(s.RotatedReader.NarrowFrom, 0);
    EXPECT_FALSE(s.RotatedReader.Extra->HasPatterns);
}

TEST(BarcodeProfiles, OnlyPlainFilesEndingExactlyInStpAreProfilesInDirectoryOrder) {
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    for (const char* name : {"Referral Code 39.stp", "Upper.STP", "other.txt", "old.stp.bak", "noext", "b.stp",
                             "a.b.stp", ".stp", "R&D O'Brien.stp"})
        Touch(d + name);
    ASSERT_TRUE(QDir(d).mkdir("folder.stp"));
    ASSERT_TRUE(QFile::link(d + "missing-target", d + "dangling.stp"));

    QStringList expected;
    for (const auto& e : std::filesystem::directory_iterator(QFile::encodeName(d).toStdString())) {
        const QString name = QFile::decodeName(e.path().filename().c_str());
        if (e.is_regular_file() && name.endsWith(".stp")) expected << name.chopped(4);
    }
    QStringList list{"stale"};
    ListProfileFiles(d, list);
    EXPECT_EQ(list, expected);
    EXPECT_EQ(list.size(), 5);
    for (const char* name : {"Referral Code 39", "b", "a.b", "", "R&D O'Brien"})
        EXPECT_TRUE(list.contains(name)) << name;

    ListProfileFiles(d + "does-not-exist/", list);
    EXPECT_TRUE(list.isEmpty());
}
