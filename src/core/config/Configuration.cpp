#include "core/config/Configuration.h"

#include "core/config/IniReader.h"
#include "core/ports/IniSource.h"

namespace kestrova {

namespace {

const QString Scanning = QStringLiteral("Scanning");
const QString Directories = QStringLiteral("Directories");
const QString Security = QStringLiteral("Security Settings");

std::uint8_t LowByte(std::int32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

void ReadScanning(const IniReader& ini, TKestrovaScanning& s) {
    s.StationMode = LowByte(ini.readInteger(Scanning, QStringLiteral("Operating Mode")));
    s.ScannerId = ini.readString(Scanning, QStringLiteral("Scanner ID"));
    s.MinPageHeight = ini.readInteger(Scanning, QStringLiteral("Minimum Page Height"));
    s.ViewImageSize = ini.readInteger(Scanning, QStringLiteral("Viewable Image Size"));
    s.BackupImageSize = ini.readInteger(Scanning, QStringLiteral("Backup Image Size"));
    s.ResolutionIndex = LowByte(ini.readInteger(Scanning, QStringLiteral("Storage Resolution")));
    s.ShowLISCounter = ini.readBool(Scanning, QStringLiteral("Show LIS Counter"));
    s.SignWithCertificate = ini.readBool(Scanning, QStringLiteral("Sign With (PKI) Certificate"));
    s.CertificateStore = ini.readString(Scanning, QStringLiteral("Certificate Store"));
    s.CertificateSubject = ini.readString(Scanning, QStringLiteral("Certificate Subject"));
}

void ReadRange(const IniReader& ini, const QString& section, const QString& name, TKestrovaRange& range) {
    range.From = ini.readInteger(section, name + QStringLiteral(": From"));
    range.To = ini.readInteger(section, name + QStringLiteral(": To"));
}

void ReadRanges(const IniReader& ini, const QString& section, const QString& symbology, TKestrovaRanges& r) {
    ReadRange(ini, section, symbology + QStringLiteral(" Narrow Bar Bit Range"), r.Narrow);
    ReadRange(ini, section, symbology + QStringLiteral(" Wide Bar Bit Range"), r.Wide);
    ReadRange(ini, section, symbology + QStringLiteral(" Double Wide Bar Bit Range"), r.DoubleWide);
    ReadRange(ini, section, symbology + QStringLiteral(" Quad Wide Bar Bit Range"), r.QuadWide);
}

void ReadProfile(const IniReader& ini, const QString& section, TKestrovaBarcodeProfile& p) {
    const auto option = [&](const char* name) { return ini.readBool(section, QString::fromLatin1(name)); };
    p.ProfileName = ini.readString(section, QStringLiteral("Profile Name"));
    ReadRange(ini, section, QStringLiteral("Number of Digits Range"), p.DigitsRange);
    ReadRanges(ini, section, QStringLiteral("Codabar"), p.CodabarRanges);
    ReadRanges(ini, section, QStringLiteral("Code 39"), p.Code39Ranges);
    ReadRanges(ini, section, QStringLiteral("Code 25"), p.Code25Ranges);
    ReadRanges(ini, section, QStringLiteral("Code 128"), p.Code128Ranges);
    p.Options.Codabar = option("Barcode Option: Codabar");
    p.Options.CodabarCheckDigit = option("Barcode Option: Codabar Check Digit");
    p.Options.CodabarStartA = option("Barcode Option: Codabar Start Char A");
    p.Options.CodabarStartB = option("Barcode Option: Codabar Start Char B");
    p.Options.CodabarStartC = option("Barcode Option: Codabar Start Char C");
    p.Options.CodabarStartD = option("Barcode Option: Codabar Start Char D");
    p.Options.Code39 = option("Barcode Option: Code 39");
    p.Options.Code39CheckDigit = option("Barcode Option: Code 39 Check Digit");
    p.Options.Code25 = option("Barcode Option: Code 25");
    p.Options.Code25CheckDigit = option("Barcode Option: Code 25 Check Digit");
    p.Options.Code25DropLeadingZero = option("Barcode Option: Code 25 Drop Leading 0");
    p.Options.Code128 = option("Barcode Option: Code 128");
    p.SearchOption = LowByte(ini.readInteger(section, QStringLiteral("Search Option")));
    p.OtherOptions.PunctuationNotValid = option("Other Option: Punctuation Not Valid");
    p.OtherOptions.DeskewLeavesRemnant = option("Other Option: Scanners Deskew Mode Leaves Remnant");
    p.OtherOptions.AutomaticallyInvert = option("Other Option: Automatically Invert");
    p.OtherOptions.StopAfterFirstBarcode = option("Other Option: Stop Searching After First Barcode");
    p.OtherOptions.BackgroundIsWhite = option("Other Option: Backgroud Is White");
    p.ExtraValidation = ini.readString(section, QStringLiteral("Extra Barcode Validation"));
}

void ReadDirectories(const IniReader& ini, TKestrovaDirectories& d) {
    const auto dir = [&](const char* name) { return ini.readString(Directories, QString::fromLatin1(name)); };
    d.ScanDirectory = dir("Scan Directory");
    d.ProblemsDirectory = dir("Problems Directory");
    d.DecodedDirectory = dir("Decoded Directory");
    d.RemoteScannerDirectory = dir("Remote Scanner Directory");
    d.ViewImageDestination = dir("View Image Destination");
    d.BackupDestination = dir("Backup Destination");
    d.CDWriterDrive = dir("CD-Writer/ScanServer Drive");
    d.RemoteFaxDirectory = dir("Remote Fax Directory");
    d.FaxListDirectory = dir("Fax List Directory");
}

void ReadSecurity(const IniReader& ini, TKestrovaSecuritySettings& s) {
    s.Enabled = ini.readBool(Security, QStringLiteral("Enabled"));
    s.Domain = ini.readString(Security, QStringLiteral("Domain"));
    s.GroupServer = ini.readString(Security, QStringLiteral("Group Server"));
}

void ReadDocument(const IniReader& ini, const QString& section, TKestrovaDocument& d) {
    d.Reference = ini.readString(section, QStringLiteral("Reference"));
    d.Tag = ini.readString(section, QStringLiteral("Tag"));
    d.Size = ini.readInteger(section, QStringLiteral("Size"));
    d.TZone = ini.readInteger(section, QStringLiteral("TZone"));
    d.Description = ini.readString(section, QStringLiteral("Description"));
}

} // namespace

QString ProfileSectionName(int index) {
    return QStringLiteral("Barcode Profiles\\Barcode Profile:%1").arg(index);
}

QString DocumentSectionName(int index) {
    return QStringLiteral("Documents\\Document:%1").arg(index);
}

bool TKestrovaConfiguration::Load(const IniSource& source, const QString& path, QString* error) {
    std::vector<IniEntry> entries;
    QString reason;
    // A file that cannot be read reads like an empty one: every key gives its default.
    const bool read = source.readEntries(path, entries, reason);
    if (!read) entries.clear();
    if (error) *error = reason;
    const IniReader ini(entries);
    ReadScanning(ini, ScanningSettings);
    for (int n = 0; ini.sectionExists(ProfileSectionName(n)); ++n)
        ReadProfile(ini, ProfileSectionName(n), ProfileSettings.item(ProfileSettings.add()));
    ReadDirectories(ini, DirectorySettings);
    ReadSecurity(ini, SecuritySettings);
    for (int n = 0; ini.sectionExists(DocumentSectionName(n)); ++n)
        ReadDocument(ini, DocumentSectionName(n), DocumentSettings.item(DocumentSettings.add()));
    return read;
}

} // namespace kestrova
