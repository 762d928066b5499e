#include "core/config/SetupLine.h"
#include "core/station/Station.h"
#include "support/TempStation.h"

#include <functional>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

// Applies the lines, in order, to a fresh station and hands it to the check.
void Expect(const QStringList& lines, const std::function<void(const Station&)>& check) {
    test::TempStation t;
    t.station.editSetup().SetupInfo.BarcodeTypes = -1;
    for (const QString& line : lines)
        if (const auto parsed = ParseSUFline(line)) ApplySetupLine(t.station.editSetup(), t.station.ui, *parsed);
    SCOPED_TRACE(lines.join(" / ").toStdString());
    check(t.station);
}

} // namespace

TEST(SetupLine, SplitsCodeLabelValueAndExtra) {
    const auto l = ParseSUFline(u"18|Scanner ID|S1|free text|more");
    ASSERT_TRUE(l);
    EXPECT_EQ(l->Code, 18);
    EXPECT_EQ(l->Label, "Scanner ID");
    EXPECT_EQ(l->Value, "S1");
    EXPECT_EQ(l->Extra, "free text");
    EXPECT_EQ(ParseSUFline(u"1|only")->Value, "");
    EXPECT_EQ(ParseSUFline(u"65537|x|v")->Code, 1);
    EXPECT_EQ(ParseSUFline(u"32768|x|v")->Code, -32768);
    EXPECT_EQ(ParseSUFline(u" 7 |x|v")->Code, 7);
    for (const char16_t* skipped : {u"no bar here", u"|x|v", u"abc|x|v", u"1x|x|v", u"99999999999|x|v", u"0x10|x|v"})
        EXPECT_FALSE(ParseSUFline(skipped)) << QString::fromUtf16(skipped).toStdString();
}

TEST(SetupLine, NumberFormatsKeepWhatWasReadBeforeAFailure) {
    Expect({"10|n|2,4", "11|w|5,x", "13|d|y,12"}, [](const Station& s) {
        EXPECT_EQ(std::tuple(s.setup().SetupInfo.NarrowFrom, s.setup().SetupInfo.NarrowTo), std::tuple(2, 4));
        EXPECT_EQ(std::tuple(s.setup().SetupInfo.WideFrom, s.setup().SetupInfo.WideTo), std::tuple(5, 0));
        EXPECT_EQ(std::tuple(s.setup().SetupInfo.DigitsFrom, s.setup().SetupInfo.DigitsTo), std::tuple(0, 0));
    });
    Expect({"10|n|2,4,99", "11|w|-5, 9 "}, [](const Station& s) {
        EXPECT_EQ(s.setup().SetupInfo.NarrowTo, 4) << "fields after the second are ignored";
        EXPECT_EQ(std::tuple(s.setup().SetupInfo.WideFrom, s.setup().SetupInfo.WideTo), std::tuple(-5, 9));
    });
    Expect({"14|h|270", "14|h|tall", "15|t|lots"}, [](const Station& s) {
        EXPECT_EQ(s.setup().SetupInfo.MinPageHeight, 270) << "a bad line leaves the field as it was";
        EXPECT_EQ(s.setup().SetupInfo.BarcodeTypes, -1);
    });
    Expect({"15|t|9007199254740993", "14|h|2147483648"}, [](const Station& s) {
        EXPECT_EQ(s.setup().SetupInfo.BarcodeTypes, 9007199254740993LL);
        EXPECT_EQ(s.setup().SetupInfo.MinPageHeight, 0) << "beyond 32 bits is not an integer";
    });
}

TEST(SetupLine, QuadWidthsDefaultTo20And26) {
    const std::vector<std::pair<QString, std::array<int, 4>>> cases = {
        {"10,14,15,20", {10, 14, 15, 20}}, {"10,14", {10, 14, 20, 26}},     {"10,14,x,y", {10, 14, 20, 26}},
        {"10,14,15", {10, 14, 15, 26}},    {"10,14,,30", {10, 14, 20, 30}}, {"10,x,15,20", {10, 0, 0, 0}},
    };
    for (const auto& [value, expected] : cases)
        Expect({"12|q|" + value}, [&](const Station& s) {
            const auto& i = s.setup().SetupInfo;
            EXPECT_EQ((std::array<int, 4>{i.DoubleFrom, i.DoubleTo, i.QuadFrom, i.QuadTo}), expected);
        });
}

TEST(SetupLine, StorageResolutionFromTheThirdSizeNumber) {
    const std::vector<std::pair<QString, int>> cases = {
        {"100:80:0", -1}, {"100:80:1", 220}, {"100:80:2", 250}, {"100:80:3", 300},
        {"100:80:7", -1}, {"100:80:-1", -1}, {"100:80:x", -1},
    };
    for (const auto& [value, resolution] : cases)
        Expect({"19|s|" + value}, [&](const Station& s) { EXPECT_EQ(s.setup().StorageResolution, resolution); });
    Expect({"19|s|100:80:3", "19|s|50:x:1"}, [](const Station& s) {
        EXPECT_EQ(s.setup().SetupInfo.ViewImageSize, 50);
        EXPECT_EQ(s.setup().SetupInfo.BackupImageSize, 80);
        EXPECT_EQ(s.setup().SetupInfo.ResolutionIndex, 3);
        EXPECT_EQ(s.setup().StorageResolution, 300) << "only a line with three integers sets the resolution";
    });
}

TEST(SetupLine, ModesFormatsAndSwitches) {
    Expect({"16|m|Remote", "17|f|png", "18|id|  S 2  ", "22|l|YES", "24|c|8", "25|i|n"}, [](const Station& s) {
        EXPECT_EQ(s.setup().SetupInfo.StationMode, ModeRemote);
        EXPECT_EQ(s.setup().SetupInfo.ImageFormat, 1);
        EXPECT_EQ(s.setup().SetupInfo.ScannerId, "S 2");
        EXPECT_TRUE(s.ui.ServerGroupVisible);
        EXPECT_EQ(s.setup().ColourDepth, 8);
        EXPECT_FALSE(s.setup().ImagePerBarcode);
        EXPECT_EQ(s.setup().DeletedProblemDays, 30);
    });
    for (const auto& [line, days] : {std::pair{"26|d|60", 60}, {"26|d|-5", 0}, {"26|d|many", 30}})
        Expect({line}, [days = days](const Station& s) { EXPECT_EQ(s.setup().DeletedProblemDays, days); });
    Expect({"16|m|CDSERVER", "16|m|LOCAL", "17|f|TIFF4", "17|f|GIF", "22|l|no", "25|i|yes"}, [](const Station& s) {
        EXPECT_EQ(s.setup().SetupInfo.StationMode, ModeCDServer) << "an unknown mode leaves the last one";
        EXPECT_EQ(s.setup().SetupInfo.ImageFormat, 2);
        EXPECT_FALSE(s.ui.ServerGroupVisible);
        EXPECT_TRUE(s.setup().ImagePerBarcode);
    });
    Expect({"20|s|1:LAB", "21|c|1~MY~text~0A~me@lab~extra", "23|e|R*;H?????"}, [](const Station& s) {
        EXPECT_TRUE(s.setup().FileSecurityOn);
        EXPECT_EQ(s.setup().SecurityDomain, "LAB");
        EXPECT_TRUE(s.setup().SigningOn);
        EXPECT_EQ(s.setup().CertificateInfo.Store, "MY");
        EXPECT_EQ(s.setup().CertificateInfo.Text, "text");
        EXPECT_EQ(s.setup().CertificateInfo.Serial, "0A");
        EXPECT_EQ(s.setup().CertificateInfo.Address, "me@lab");
        EXPECT_EQ(s.setup().CertificateInfo.Extra, "");
        EXPECT_EQ(s.setup().SetupInfo.ExtraValidation, "R*;H?????");
    });
    Expect({"20|s|1:LAB", "20|s|0:OTHER", "21|c|1~MY~~~", "21|c|0~YOURS~~~"}, [](const Station& s) {
        EXPECT_FALSE(s.setup().FileSecurityOn);
        EXPECT_EQ(s.setup().SecurityDomain, "LAB") << "switching security off leaves the domain";
        EXPECT_FALSE(s.setup().SigningOn);
        EXPECT_EQ(s.setup().CertificateInfo.Store, "MY");
    });
}

TEST(SetupLine, DocumentDefinitionsAreCutAndKeptInFileOrder) {
    Expect({"200|d|A very long document name indeed:ABCDEFGHIJKLMN:2928:30:LAB\\requests", "1000|d|Short:X:abc:40:acct",
            "65736|d|Wrapped:W:100:x:acct", "201|d|Bare", "1001|d|Not one:N:1:1:a"},
           [](const Station& s) {
               const auto& d = s.setup().SetupInfo.DocDefs;
               ASSERT_EQ(d.size(), 4);
               EXPECT_EQ(d[0].DocName, "A very long document");
               EXPECT_EQ(d[0].DocCode, "~ABCDEFGHI");
               EXPECT_EQ(d[0].DocCode.size(), 10);
               EXPECT_EQ(std::tuple(d[0].PageLength, d[0].SearchDepth), std::tuple(2928, 30));
               EXPECT_EQ(d[0].Account, "LAB\\requests");
               EXPECT_EQ(std::tuple(d[1].DocName, d[1].PageLength, d[1].SearchDepth, d[1].Account),
                         std::tuple(QString("Short"), 0, 0, QString()));
               EXPECT_EQ(std::tuple(d[2].DocName, d[2].PageLength, d[2].SearchDepth, d[2].Account),
                         std::tuple(QString("Wrapped"), 100, 0, QString()));
               EXPECT_EQ(std::tuple(d[3].DocName, d[3].DocCode), std::tuple(QString("Bare"), QString("~")));
           });
    // A name cut at 20 never keeps half of a character outside the basic plane.
    Expect({QStringLiteral("200|d|1234567890123456789\U0001F600:C:1:1:a")},
           [](const Station& s) { EXPECT_EQ(s.setup().SetupInfo.DocDefs[0].DocName, "1234567890123456789"); });
}
