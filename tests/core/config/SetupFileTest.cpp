#include "SetupFixture.h"

#include "core/config/SetupFile.h"

#include <QFile>
#include <functional>

using namespace kestrova;
using kestrova::test::SetupFileTest;

namespace {

const QString Missing = QStringLiteral(
    "The Setup File is Missing!\nRe-run the Kestrova configuration program.\r\nKestrovaNT will Terminate.");
const QString Errors = QStringLiteral("The Kestrova Setup File.contains errors!\nKestrovaNT will Terminate.");
const QString Critical = QStringLiteral("A Critical Directory has not been set up correctly.\nRe-run the Kestrova "
                                        "configuration program.\r\nKestrovaNT will Terminate.");
const QString Barcode = QStringLiteral("A Barcode parameter has not been set up correctly.\nRe-run the Kestrova "
                                       "configuration program.\r\nKestrovaNT will Terminate.");

} // namespace

TEST_F(SetupFileTest, ReadsTheConfigurationProgramsSample) {
    QDir().mkpath(t.path("problems")); // the sample's problems directory is not on this machine
    const QString sample = QStringLiteral(KESTROVA_SHARED_SAMPLES "/kestrova.inf");
    ASSERT_EQ(ReadSetupFile(station, sample), SetupOutcome::Ok);
    const setupinformation& s = station.setup().SetupInfo;
    EXPECT_EQ(s.Directories[1], "/srv/kestrova/scan/");
    EXPECT_EQ(s.Directories[4], "Drive Disabled");
    EXPECT_EQ(s.Directories[5], "/srv/images/store/");
    EXPECT_EQ(station.setup().StoreMask, "**");
    EXPECT_EQ(s.Directories[7], "/media/kestrova/DISC/");
    EXPECT_TRUE(station.setup().LocalImagesFlag);
    EXPECT_EQ(s.Directories[8], "Drive Disabled");
    EXPECT_EQ(std::tuple(s.NarrowFrom, s.NarrowTo, s.WideFrom, s.WideTo), std::tuple(2, 4, 5, 9));
    EXPECT_EQ(std::tuple(s.DoubleFrom, s.DoubleTo, s.QuadFrom, s.QuadTo), std::tuple(10, 14, 15, 20));
    EXPECT_EQ(std::tuple(s.DigitsFrom, s.DigitsTo, s.MinPageHeight), std::tuple(6, 12, 270));
    EXPECT_EQ(s.BarcodeTypes, 2156003388LL);
    EXPECT_EQ(s.StationMode, ModeSingle);
    EXPECT_EQ(s.ImageFormat, 2);
    EXPECT_EQ(s.ScannerId, "S1");
    EXPECT_EQ(std::tuple(s.ViewImageSize, s.BackupImageSize, s.ResolutionIndex), std::tuple(100, 100, 2));
    EXPECT_EQ(station.setup().StorageResolution, 250);
    EXPECT_FALSE(station.setup().FileSecurityOn);
    EXPECT_FALSE(station.setup().SigningOn);
    EXPECT_TRUE(station.ui.ServerGroupVisible);
    EXPECT_EQ(station.setup().ColourDepth, 1);
    EXPECT_FALSE(station.setup().ImagePerBarcode);
    ASSERT_EQ(s.DocDefCount, 3);
    ASSERT_EQ(s.DocDefs.size(), 3);
    EXPECT_EQ(s.DocDefs[1].DocName, "Histology Form");
    EXPECT_EQ(s.DocDefs[1].DocCode, "~HIST");
    EXPECT_EQ(s.DocDefs[1].PageLength, 2069);
    EXPECT_EQ(s.DocDefs[1].SearchDepth, 40);
    EXPECT_EQ(s.DocDefs[1].Account, "histology");
    EXPECT_EQ(s.DocDefs[2].Account, "");
    EXPECT_EQ(station.ui.Caption, "KestrovaNT ");
    EXPECT_EQ(station.ui.ProblemFilesMask, "*.bmp;*.tif;*.png;*.jpg;*.gif");
    EXPECT_EQ(station.ui.ProblemFilesDirectory, t.path("problems"));
    EXPECT_TRUE(t.prompter.shown().empty());
}

TEST_F(SetupFileTest, MissingFileEndsAtOnceWithoutFurtherSteps) {
    t.prompter.expectMessage("Invalid Setup File");
    t.prompter.expectMessage("Invalid Setup File");
    bool hookRan = false;
    SetupFileHooks hooks{[&] { hookRan = true; }, [&] { hookRan = true; }, [&] { hookRan = true; }};
    EXPECT_EQ(ReadSetupFile(station, t.path("nowhere/kestrova.inf"), hooks), SetupOutcome::EndNow);
    EXPECT_EQ(ReadSetupFile(station, t.dir.path(), hooks), SetupOutcome::EndNow) << "a directory is no setup file";
    ASSERT_EQ(t.prompter.shown().size(), 2u);
    EXPECT_EQ(t.prompter.shown()[0].text, Missing);
    EXPECT_EQ(t.prompter.shown()[0].icon, MessageIcon::Error);
    EXPECT_FALSE(hookRan);
}

// Each case changes the valid file and names the messages and the outcome it must give.
TEST_F(SetupFileTest, ChecksReportTheirMessagesAndOutcomes) {
    struct Case {
        const char* name;
        std::function<void(SetupFileTest&)> change;
        QStringList messages;
        SetupOutcome outcome;
    };
    const std::vector<Case> cases = {
        {"valid", [](auto&) {}, {}, SetupOutcome::Ok},
        {"line 15 missing", [](auto& f) { f.remove(15); }, {Barcode}, SetupOutcome::EndNow},
        {"line 15 not a number", [](auto& f) { f.set(15, "many"); }, {Barcode}, SetupOutcome::EndNow},
        {"line 15 negative", [](auto& f) { f.set(15, "-4"); }, {Barcode}, SetupOutcome::EndNow},
        {"line 15 zero", [](auto& f) { f.set(15, "0"); }, {Errors}, SetupOutcome::EndNow},
        {"line 10 missing", [](auto& f) { f.remove(10); }, {Errors}, SetupOutcome::EndNow},
        {"second digits zero", [](auto& f) { f.set(13, "6,0"); }, {Errors}, SetupOutcome::EndNow},
        {"unknown image format", [](auto& f) { f.set(17, "JPEG"); }, {Errors}, SetupOutcome::EndNow},
        {"backup size missing", [](auto& f) { f.set(19, "100"); }, {Errors}, SetupOutcome::EndNow},
        {"slot 1 empty", [](auto& f) { f.set(1, ""); }, {Critical}, SetupOutcome::EndAfterStartup},
        {"slot 6 missing", [](auto& f) { f.set(6, ""); }, {Critical}, SetupOutcome::EndAfterStartup},
        {"critical and barcode",
         [](auto& f) {
             f.set(3, "");
             f.remove(15);
         },
         {Critical, Barcode},
         SetupOutcome::EndNow},
        {"slots 4, 7 and 9 empty",
         [](auto& f) {
             f.set(4, "");
             f.set(7, "");
             f.set(9, "");
         },
         {},
         SetupOutcome::Ok},
        {"slot 2 never written", [](auto& f) { f.remove(2); }, {Critical}, SetupOutcome::EndAfterStartup},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetupFileTest::SetUp();
        c.change(*this);
        t.prompter.allowAnyMessage();
        const size_t before = t.prompter.shown().size();
        EXPECT_EQ(read(), c.outcome);
        QStringList shown;
        for (size_t i = before; i < t.prompter.shown().size(); ++i) {
            shown << t.prompter.shown()[i].text;
            EXPECT_EQ(t.prompter.shown()[i].caption, "Invalid Setup File");
            EXPECT_EQ(t.prompter.shown()[i].icon, MessageIcon::Error);
        }
        EXPECT_EQ(shown, c.messages);
    }
}

TEST_F(SetupFileTest, HooksRunInOrderAndEvenWhenStartUpIsToEnd) {
    set(21, "1~MY~note~0A1B~scanning@lab.example~");
    set(1, "");
    t.prompter.expectMessage("Invalid Setup File");
    QStringList calls;
    SetupFileHooks hooks{[&] { calls << "sign"; }, [&] { calls << "drives"; }, [&] { calls << "schema"; }};
    EXPECT_EQ(read(hooks), SetupOutcome::EndAfterStartup);
    EXPECT_EQ(calls, QStringList({"sign", "drives", "schema"}));
    EXPECT_TRUE(station.ui.SignIconVisible);
    EXPECT_EQ(station.setup().CertificateInfo.Serial, "0A1B");
    EXPECT_EQ(station.setup().CertificateInfo.Address, "scanning@lab.example");

    calls.clear();
    remove(15);
    t.prompter.allowAnyMessage();
    EXPECT_EQ(read(hooks), SetupOutcome::EndNow);
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(SetupFileTest, EmptyBackupSlotSwitchesTheMediaProcessOff) {
    set(7, "");
    ASSERT_EQ(read(), SetupOutcome::Ok);
    EXPECT_EQ(station.setup().SetupInfo.Directories[7], "Drive Disabled");
    EXPECT_FALSE(station.setup().LocalImagesFlag);
    EXPECT_FALSE(station.ui.CDGrpEnabled);
    EXPECT_FALSE(station.task().AutoProcess1());
    EXPECT_EQ(AutoProcess1Caption(station.task()), "Me&dia Process OFF");
    EXPECT_FALSE(station.ui.CDGroupLabelVisible);
}

TEST_F(SetupFileTest, SlotRules) {
    struct Case {
        int code;
        QString value;
        int slot;
        QString expected;
        QString mask;
        bool localImages;
    };
    const std::vector<Case> cases = {
        {5, "/srv/store/**", 5, "/srv/store/", "**", false},
        {5, "/srv/store", 5, "/srv/", "store", false},
        {5, "store", 5, "store", "", false},
        {5, "", 5, "Drive Disabled", "", false},
        {8, "/srv/fax/*.tif", 8, "/srv/fax/", "*.tif", false},
        {7, "/media/disc/?", 7, "/media/disc/", "", true},
        {7, "/media/disc?", 7, "/media/disc/", "", true},
        {7, "/media/disc?junk", 7, "/media/disc/", "", true},
        {7, "/media/disc", 7, "/media/disc/", "", false},
        {9, "spare", 9, "spare/", "", false},
        {65537, "/elsewhere/scan", 1, "/elsewhere/scan/", "", false},
        {-65535, "/wrapped/scan", 1, "/wrapped/scan/", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1|%2").arg(c.code).arg(c.value).toStdString());
        SetupFileTest::SetUp();
        set(c.code, c.value);
        ASSERT_EQ(read(), SetupOutcome::Ok);
        EXPECT_EQ(station.setup().SetupInfo.Directories[c.slot], c.expected);
        EXPECT_EQ(c.slot == 8 ? station.setup().Slot8Mask : station.setup().StoreMask,
                  c.slot == 5 || c.slot == 8 ? c.mask : "**");
        EXPECT_EQ(station.setup().LocalImagesFlag, c.localImages);
    }
}

TEST_F(SetupFileTest, TitleFollowsTheMode) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"REMOTE", "KestrovaNT - Remote Scanner S1"},
        {"scanserver", "KestrovaNT - Scan Server S1"},
        {"CDSERVER", "KestrovaNT "},
        {"SINGLE", "KestrovaNT "},
    };
    for (const auto& [mode, title] : cases) {
        test::TempStation fresh;
        Station& st = fresh.station;
        set(16, mode);
        ASSERT_EQ(ReadSetupFile(st, write(lines.join("\n").toUtf8())), SetupOutcome::Ok);
        EXPECT_EQ(st.ui.Caption, title) << mode.toStdString();
    }
}

TEST_F(SetupFileTest, ProblemsDirectoryFallsBackToTheProgramDirectory) {
    set(2, t.path("gone"));
    station.editSetup().ProgramDir = t.path("program/");
    t.prompter.expectMessage("Apply Settings");
    ASSERT_EQ(read(), SetupOutcome::Ok) << "no fallback either: a message, start-up goes on";
    ASSERT_EQ(t.prompter.shown().size(), 1u);
    EXPECT_EQ(t.prompter.shown()[0].caption, "Apply Settings");
    EXPECT_EQ(t.prompter.shown()[0].text, "Your problems directory could not be found.");

    QDir().mkpath(t.path("problems-fallback/problems"));
    station.editSetup().ProgramDir = t.path("problems-fallback/");
    ASSERT_EQ(read(), SetupOutcome::Ok);
    EXPECT_EQ(station.ui.ProblemFilesDirectory, t.path("problems-fallback/problems"));
    EXPECT_EQ(t.prompter.shown().size(), 1u) << "the fallback exists: no further message";

    set(2, t.path("problems"));
    ASSERT_EQ(read(), SetupOutcome::Ok);
    EXPECT_EQ(station.ui.ProblemFilesDirectory, t.path("problems/"));
}

TEST_F(SetupFileTest, ProfileLabelAndSkipCounter) {
    station.task().setProblemSkipCount(7);
    set(25, " Yes please");
    ASSERT_EQ(read(), SetupOutcome::Ok);
    EXPECT_TRUE(station.setup().ImagePerBarcode);
    EXPECT_EQ(station.ui.lblBarcodeProfile,
              "System is using default barcode type.  An image will be produced for each Barcode found.");
    EXPECT_EQ(station.task().ProblemSkipCount(), 0);
}

TEST_F(SetupFileTest, LineEndsAndEncodings) {
    set(200, QStringLiteral("Bl\u00e9 Form:B\u00c9:100:20:lab"));
    const QString expectedName = QStringLiteral("Bl\u00e9 Form");
    const QString text = lines.join(QStringLiteral("\n"));
    QByteArray bom = "\xEF\xBB\xBF";
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"LF, UTF-8", text.toUtf8() + "\n"},
        {"CRLF, no last line end", QString(text).replace("\n", "\r\n").toUtf8()},
        {"CR only", QString(text).replace("\n", "\r").toUtf8()},
        {"Latin-1", text.toLatin1() + "\r\n"},
        {"UTF-8 with byte-order mark", bom + text.toUtf8()},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        ASSERT_EQ(ReadSetupFile(station, write(bytes)), SetupOutcome::Ok);
        EXPECT_EQ(station.setup().SetupInfo.Directories[1], t.path("scan/"));
        ASSERT_EQ(station.setup().SetupInfo.DocDefs.size(), 1);
        EXPECT_EQ(station.setup().SetupInfo.DocDefs[0].DocName, expectedName);
        EXPECT_EQ(station.setup().SetupInfo.DocDefs[0].DocCode, QStringLiteral("~B\u00c9"));
        EXPECT_EQ(station.setup().SetupInfo.DocDefs[0].Account, "lab");
    }
}
