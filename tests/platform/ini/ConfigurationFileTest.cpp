#include "IniTestFiles.h"
#include "core/config/Configuration.h"
#include "core/config/ConfigurationJson.h"
#include "platform/ini/SimpleIniSource.h"

#include <QJsonArray>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

const QString P0 = QStringLiteral("[Barcode Profiles\\Barcode Profile:0]\n");
const QString P1 = QStringLiteral("[Barcode Profiles\\Barcode Profile:1]\n");
const QString P2 = QStringLiteral("[Barcode Profiles\\Barcode Profile:2]\n");

struct Loaded {
    QTemporaryDir dir;
    SimpleIniSource source;
    TKestrovaConfiguration tree;
    bool read = false;

    QString path() const { return dir.filePath("profile.stp"); }
    void write(const QByteArray& bytes) { test::WriteBytes(path(), bytes); }
    void load(const QByteArray& bytes) {
        write(bytes);
        read = tree.Load(source, path());
    }
};

void Flatten(const QJsonValue& v, const QString& at, QMap<QString, QJsonValue>& out) {
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) Flatten(*it, at.isEmpty() ? it.key() : at + "." + it.key(), out);
    } else if (v.isArray()) {
        const QJsonArray a = v.toArray();
        for (qsizetype i = 0; i < a.size(); ++i) Flatten(a[i], at + QStringLiteral("[%1]").arg(i), out);
    } else {
        out.insert(at, v);
    }
}

QMap<QString, QJsonValue> Fields(const TKestrovaConfiguration& c) {
    QMap<QString, QJsonValue> out;
    Flatten(ConfigurationToJson(c), QString(), out);
    return out;
}

struct KeyRow {
    QString section; // header line
    QString key;
    QString field; // flattened JSON path
    QString text;  // written value
    QJsonValue expected;
};

std::vector<KeyRow> KeyTable() {
    std::vector<KeyRow> rows;
    const auto add = [&](const QString& section, const QString& key, const QString& field, const char* text,
                         QJsonValue expected) {
        rows.push_back({section, key, field, text, expected});
    };
    const QString scan = "[Scanning]\n", dirs = "[Directories]\n", sec = "[Security Settings]\n";
    const QString doc = "[Documents\\Document:0]\n";
    add(scan, "Operating Mode", "ScanningSettings.StationMode", "2", 2);
    add(scan, "Scanner ID", "ScanningSettings.ScannerId", "S9", "S9");
    add(scan, "Minimum Page Height", "ScanningSettings.MinPageHeight", "0x10E", 270);
    add(scan, "Viewable Image Size", "ScanningSettings.ViewImageSize", "101", 101);
    add(scan, "Backup Image Size", "ScanningSettings.BackupImageSize", "102", 102);
    add(scan, "Storage Resolution", "ScanningSettings.ResolutionIndex", "3", 3);
    add(scan, "Show LIS Counter", "ScanningSettings.ShowLISCounter", "1", true);
    add(scan, "Sign With (PKI) Certificate", "ScanningSettings.SignWithCertificate", "7", true);
    add(scan, "Certificate Store", "ScanningSettings.CertificateStore", "MY", "MY");
    add(scan, "Certificate Subject", "ScanningSettings.CertificateSubject", "CN=x", "CN=x");
    add(P0, "Profile Name", "ProfileSettings[0].ProfileName", "Referral", "Referral");
    add(P0, "Number of Digits Range: From", "ProfileSettings[0].DigitsRange.From", "6", 6);
    add(P0, "Number of Digits Range: To", "ProfileSettings[0].DigitsRange.To", "10", 10);
    const std::pair<const char*, const char*> symbologies[] = {{"Codabar", "CodabarRanges"},
                                                               {"Code 39", "Code39Ranges"},
                                                               {"Code 25", "Code25Ranges"},
                                                               {"Code 128", "Code128Ranges"}};
    const std::pair<const char*, const char*> widths[] = {
        {"Narrow", "Narrow"}, {"Wide", "Wide"}, {"Double Wide", "DoubleWide"}, {"Quad Wide", "QuadWide"}};
    int n = 20;
    for (const auto& [symbology, ranges] : symbologies)
        for (const auto& [width, member] : widths)
            for (const char* end : {"From", "To"}) {
                const QByteArray value = QByteArray::number(++n);
                rows.push_back({P0, QStringLiteral("%1 %2 Bar Bit Range: %3").arg(symbology, width, end),
                                QStringLiteral("ProfileSettings[0].%1.%2.%3").arg(ranges, member, end), value, n});
            }
    const std::pair<const char*, const char*> options[] = {
        {"Barcode Option: Codabar", "Options.Codabar"},
        {"Barcode Option: Codabar Check Digit", "Options.CodabarCheckDigit"},
        {"Barcode Option: Codabar Start Char A", "Options.CodabarStartA"},
        {"Barcode Option: Codabar Start Char B", "Options.CodabarStartB"},
        {"Barcode Option: Codabar Start Char C", "Options.CodabarStartC"},
        {"Barcode Option: Codabar Start Char D", "Options.CodabarStartD"},
        {"Barcode Option: Code 39", "Options.Code39"},
        {"Barcode Option: Code 39 Check Digit", "Options.Code39CheckDigit"},
        {"Barcode Option: Code 25", "Options.Code25"},
        {"Barcode Option: Code 25 Check Digit", "Options.Code25CheckDigit"},
        {"Barcode Option: Code 25 Drop Leading 0", "Options.Code25DropLeadingZero"},
        {"Barcode Option: Code 128", "Options.Code128"},
        {"Other Option: Punctuation Not Valid", "OtherOptions.PunctuationNotValid"},
        {"Other Option: Scanners Deskew Mode Leaves Remnant", "OtherOptions.DeskewLeavesRemnant"},
        {"Other Option: Automatically Invert", "OtherOptions.AutomaticallyInvert"},
        {"Other Option: Stop Searching After First Barcode", "OtherOptions.StopAfterFirstBarcode"},
        {"Other Option: Backgroud Is White", "OtherOptions.BackgroundIsWhite"},
    };
    for (const auto& [key, field] : options) add(P0, key, QStringLiteral("ProfileSettings[0].") + field, "1", true);
    add(P0, "Search Option", "ProfileSettings[0].SearchOption", "3", 3);
    add(P0, "Extra Barcode Validation", "ProfileSettings[0].ExtraValidation", "R???;r???", "R???;r???");
    add(dirs, "Scan Directory", "DirectorySettings.ScanDirectory", "/a/", "/a/");
    add(dirs, "Problems Directory", "DirectorySettings.ProblemsDirectory", "/b/", "/b/");
    add(dirs, "Decoded Directory", "DirectorySettings.DecodedDirectory", "/c/", "/c/");
    add(dirs, "Remote Scanner Directory", "DirectorySettings.RemoteScannerDirectory", "/d/", "/d/");
    add(dirs, "View Image Destination", "DirectorySettings.ViewImageDestination", "/e/", "/e/");
    add(dirs, "Backup Destination", "DirectorySettings.BackupDestination", "/f/", "/f/");
    add(dirs, "CD-Writer/ScanServer Drive", "DirectorySettings.CDWriterDrive", "/g/", "/g/");
    add(dirs, "Remote Fax Directory", "DirectorySettings.RemoteFaxDirectory", "/h/", "/h/");
    add(dirs, "Fax List Directory", "DirectorySettings.FaxListDirectory", "/i/", "/i/");
    add(sec, "Enabled", "SecuritySettings.Enabled", "1", true);
    add(sec, "Domain", "SecuritySettings.Domain", "LAB", "LAB");
    add(sec, "Group Server", "SecuritySettings.GroupServer", "gs", "gs");
    add(doc, "Reference", "DocumentSettings[0].Reference", "REF", "REF");
    add(doc, "Tag", "DocumentSettings[0].Tag", "Referral", "Referral");
    add(doc, "Size", "DocumentSettings[0].Size", "2500", 2500);
    add(doc, "TZone", "DocumentSettings[0].TZone", "100", 100);
    add(doc, "Description", "DocumentSettings[0].Description", "Letter", "Letter");
    return rows;
}

} // namespace

TEST(ConfigurationFile, EveryKeyFillsItsOwnFieldAndNoOther) {
    const std::vector<KeyRow> rows = KeyTable();
    EXPECT_EQ(rows.size(), 10u + 1 + 2 + 32 + 17 + 2 + 9 + 3 + 5);
    TKestrovaConfiguration withProfile;
    withProfile.ProfileSettings.add();
    TKestrovaConfiguration withDocument;
    withDocument.DocumentSettings.add();
    for (const KeyRow& row : rows) {
        Loaded l;
        // An upper-case copy of the key in the same section must be the same key.
        l.load((row.section + row.key + "=" + row.text + "\n" + row.key.toUpper() + "=0\n").toUtf8());
        ASSERT_TRUE(l.read);
        const TKestrovaConfiguration& base = row.field.startsWith("Profile")    ? withProfile
                                             : row.field.startsWith("Document") ? withDocument
                                                                                : TKestrovaConfiguration{};
        QMap<QString, QJsonValue> expected = Fields(base);
        ASSERT_TRUE(expected.contains(row.field)) << row.field.toStdString();
        expected[row.field] = row.expected;
        EXPECT_EQ(Fields(l.tree), expected) << row.key.toStdString();
    }
}

TEST(ConfigurationFile, TheSampleProfileFileLoadsWhole) {
    SimpleIniSource source;
    TKestrovaConfiguration c;
    ASSERT_TRUE(c.Load(source, test::SampleProfilePath()));
    EXPECT_EQ(c.ScanningSettings.StationMode, 1);
    EXPECT_EQ(c.ScanningSettings.ScannerId, "S1");
    EXPECT_EQ(c.ScanningSettings.MinPageHeight, 270);
    EXPECT_TRUE(c.ScanningSettings.ShowLISCounter);
    EXPECT_EQ(c.ScanningSettings.CertificateStore, "MY");
    ASSERT_EQ(c.ProfileSettings.count(), 1);
    const TKestrovaBarcodeProfile& p = c.ProfileSettings.item(0);
    EXPECT_EQ(p.ProfileName, "Referral Code 39");
    EXPECT_EQ(p.DigitsRange.From, 6);
    EXPECT_EQ(p.DigitsRange.To, 10);
    EXPECT_EQ(p.CodabarRanges.QuadWide.To, 20);
    EXPECT_EQ(p.Code39Ranges.Wide.From, 5);
    EXPECT_EQ(p.Code39Ranges.DoubleWide.To, 0);
    EXPECT_TRUE(p.Options.Code39);
    EXPECT_TRUE(p.Options.Code39CheckDigit);
    EXPECT_FALSE(p.Options.Codabar);
    EXPECT_EQ(p.SearchOption, 2);
    EXPECT_TRUE(p.OtherOptions.PunctuationNotValid);
    EXPECT_TRUE(p.OtherOptions.AutomaticallyInvert);
    EXPECT_EQ(p.ExtraValidation, "R???????;r???????");
    EXPECT_EQ(c.DirectorySettings.DecodedDirectory, "/srv/kestrova/decoded/");
    EXPECT_EQ(c.SecuritySettings.Domain, "LAB");
    ASSERT_EQ(c.DocumentSettings.count(), 1);
    EXPECT_EQ(c.DocumentSettings.item(0).Size, 2500);
    EXPECT_EQ(c.DocumentSettings.item(0).Description, "Referral letter from outside clinics");
}

TEST(ConfigurationFile, IndexedSectionsRunFromZeroWithoutGapsAndEmptySectionsAreMissing) {
    Loaded gap;
    gap.load((P0 + "Profile Name=zero\n" + P2 + "Profile Name=two\n").toUtf8());
    ASSERT_EQ(gap.tree.ProfileSettings.count(), 1);
    EXPECT_EQ(gap.tree.ProfileSettings.item(0).ProfileName, "zero");

    Loaded empty;
    empty.load((P0 + P1 + "Profile Name=one\n[Documents\\Document:0]\n[Documents\\Document:1]\nTag=x\n").toUtf8());
    EXPECT_EQ(empty.tree.ProfileSettings.count(), 0);
    EXPECT_EQ(empty.tree.DocumentSettings.count(), 0);

    Loaded upper;
    upper.load("[BARCODE PROFILES\\barcode profile:0]\nPROFILE NAME=x\n[barcode profiles\\Barcode Profile:1]\nk=1\n");
    EXPECT_EQ(upper.tree.ProfileSettings.count(), 2);
}

TEST(ConfigurationFile, MissingKeysAndWordsGiveDefaults) {
    Loaded l;
    l.load((P0 + "Profile Name=bare\nBarcode Option: Codabar=true\nBarcode Option: Code 39=1\n" +
            "Search Option=two\n[Documents\\Document:0]\nReference=REF\n")
               .toUtf8());
    ASSERT_EQ(l.tree.ProfileSettings.count(), 1);
    const TKestrovaBarcodeProfile& p = l.tree.ProfileSettings.item(0);
    for (const TKestrovaRanges* r : {&p.CodabarRanges, &p.Code39Ranges, &p.Code25Ranges, &p.Code128Ranges})
        for (const TKestrovaRange* range : {&r->Narrow, &r->Wide, &r->DoubleWide, &r->QuadWide}) {
            EXPECT_EQ(range->From, 0);
            EXPECT_EQ(range->To, 0);
        }
    EXPECT_FALSE(p.Options.Codabar);
    EXPECT_TRUE(p.Options.Code39);
    EXPECT_EQ(p.SearchOption, 0);
    ASSERT_EQ(l.tree.DocumentSettings.count(), 1);
    EXPECT_EQ(l.tree.DocumentSettings.item(0).Reference, "REF");
    EXPECT_EQ(l.tree.DocumentSettings.item(0).Size, 0);
    EXPECT_EQ(l.tree.DocumentSettings.item(0).TZone, 0);
}

TEST(ConfigurationFile, LoadingTwiceAppendsProfilesAndDocuments) {
    SimpleIniSource source;
    TKestrovaConfiguration c;
    ASSERT_TRUE(c.Load(source, test::SampleProfilePath()));
    ASSERT_TRUE(c.Load(source, test::SampleProfilePath()));
    ASSERT_EQ(c.ProfileSettings.count(), 2);
    ASSERT_EQ(c.DocumentSettings.count(), 2);
    EXPECT_EQ(c.ProfileSettings.item(1).ProfileName, "Referral Code 39");
    EXPECT_EQ(c.DocumentSettings.item(1).Tag, "Referral");
    EXPECT_EQ(c.ScanningSettings.ScannerId, "S1");

    // A file that cannot be read reads as an empty one.
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(c.Load(source, dir.filePath("gone.stp"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(c.ProfileSettings.count(), 2);
    EXPECT_EQ(c.ScanningSettings.ScannerId, "");
}

TEST(ConfigurationFile, HugeValuesDuplicatedSectionsAndJunkNeverBreakLoading) {
    Loaded huge;
    huge.load((P0 + "Search Option=261\nNumber of Digits Range: From=99999999999\n" +
               "Codabar Wide Bar Bit Range: From=0xFFFFFFFF\nCodabar Wide Bar Bit Range: To=0x1FFFFFFFF\n" +
               "[Scanning]\nOperating Mode=-1\nStorage Resolution=0x102\n")
                  .toUtf8());
    ASSERT_EQ(huge.tree.ProfileSettings.count(), 1);
    const TKestrovaBarcodeProfile& p = huge.tree.ProfileSettings.item(0);
    EXPECT_EQ(p.SearchOption, 5); // a byte: the low 8 bits of 261
    EXPECT_EQ(p.DigitsRange.From, 0);
    EXPECT_EQ(p.CodabarRanges.Wide.From, -1);
    EXPECT_EQ(p.CodabarRanges.Wide.To, 0);
    EXPECT_EQ(huge.tree.ScanningSettings.StationMode, 255);
    EXPECT_EQ(huge.tree.ScanningSettings.ResolutionIndex, 2);

    Loaded twice;
    twice.load("[Scanning]\nScanner ID=first\n[Directories]\nScan Directory=/s/\n"
               "[scanning]\nScanner ID=second\nMinimum Page Height=250\n");
    EXPECT_EQ(twice.tree.ScanningSettings.ScannerId, "first");
    EXPECT_EQ(twice.tree.ScanningSettings.MinPageHeight, 250);
    EXPECT_EQ(twice.tree.DirectorySettings.ScanDirectory, "/s/");

    QByteArray junk;
    std::uint32_t x = 12345;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1103515245u + 12345u;
        junk.append(static_cast<char>(x >> 24));
    }
    for (const QByteArray& bytes : {junk, (P0 + "Profile Name=ok\n").toUtf8() + junk, QByteArray(5000, '['),
                                    QByteArray(5000, '='), QByteArray(70000, '\n'), QByteArray()}) {
        Loaded j;
        j.load(bytes);
        EXPECT_TRUE(j.read);
        EXPECT_LE(j.tree.ProfileSettings.count(), 1);
    }
}
