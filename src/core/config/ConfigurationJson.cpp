#include "core/config/ConfigurationJson.h"

#include "core/config/Configuration.h"

#include <QJsonArray>

namespace kestrova {

namespace {

QJsonObject RangeJson(const TKestrovaRange& r) {
    return {{"From", r.From}, {"To", r.To}};
}

QJsonObject RangesJson(const TKestrovaRanges& r) {
    return {{"Narrow", RangeJson(r.Narrow)},
            {"Wide", RangeJson(r.Wide)},
            {"DoubleWide", RangeJson(r.DoubleWide)},
            {"QuadWide", RangeJson(r.QuadWide)}};
}

QJsonObject ProfileJson(const TKestrovaBarcodeProfile& p) {
    const TKestrovaBarcodeOptions& o = p.Options;
    const TKestrovaBarcodeOtherOptions& x = p.OtherOptions;
    return {{"ProfileName", p.ProfileName},
            {"DigitsRange", RangeJson(p.DigitsRange)},
            {"CodabarRanges", RangesJson(p.CodabarRanges)},
            {"Code39Ranges", RangesJson(p.Code39Ranges)},
            {"Code25Ranges", RangesJson(p.Code25Ranges)},
            {"Code128Ranges", RangesJson(p.Code128Ranges)},
            {"Options", QJsonObject{{"Code25DropLeadingZero", o.Code25DropLeadingZero},
                                    {"Code128", o.Code128},
                                    {"Code39", o.Code39},
                                    {"CodabarStartC", o.CodabarStartC},
                                    {"Codabar", o.Codabar},
                                    {"Code39CheckDigit", o.Code39CheckDigit},
                                    {"CodabarStartB", o.CodabarStartB},
                                    {"CodabarStartD", o.CodabarStartD},
                                    {"Code25CheckDigit", o.Code25CheckDigit},
                                    {"CodabarCheckDigit", o.CodabarCheckDigit},
                                    {"Code25", o.Code25},
                                    {"CodabarStartA", o.CodabarStartA}}},
            {"SearchOption", p.SearchOption},
            {"OtherOptions", QJsonObject{{"AutomaticallyInvert", x.AutomaticallyInvert},
                                         {"BackgroundIsWhite", x.BackgroundIsWhite},
                                         {"PunctuationNotValid", x.PunctuationNotValid},
                                         {"DeskewLeavesRemnant", x.DeskewLeavesRemnant},
                                         {"StopAfterFirstBarcode", x.StopAfterFirstBarcode}}},
            {"ExtraValidation", p.ExtraValidation}};
}

QJsonObject DocumentJson(const TKestrovaDocument& d) {
    return {{"Size", d.Size},
            {"TZone", d.TZone},
            {"Description", d.Description},
            {"Tag", d.Tag},
            {"Reference", d.Reference}};
}

} // namespace

QJsonObject ConfigurationToJson(const TKestrovaConfiguration& c) {
    const TKestrovaScanning& s = c.ScanningSettings;
    const TKestrovaDirectories& d = c.DirectorySettings;
    QJsonArray profiles;
    for (int i = 0; i < c.ProfileSettings.count(); ++i) profiles.append(ProfileJson(c.ProfileSettings.item(i)));
    QJsonArray documents;
    for (int i = 0; i < c.DocumentSettings.count(); ++i) documents.append(DocumentJson(c.DocumentSettings.item(i)));
    return {{"DirectorySettings", QJsonObject{{"BackupDestination", d.BackupDestination},
                                              {"FaxListDirectory", d.FaxListDirectory},
                                              {"RemoteFaxDirectory", d.RemoteFaxDirectory},
                                              {"RemoteScannerDirectory", d.RemoteScannerDirectory},
                                              {"DecodedDirectory", d.DecodedDirectory},
                                              {"ProblemsDirectory", d.ProblemsDirectory},
                                              {"CDWriterDrive", d.CDWriterDrive},
                                              {"ScanDirectory", d.ScanDirectory},
                                              {"ViewImageDestination", d.ViewImageDestination}}},
            {"DocumentSettings", documents},
            {"SecuritySettings", QJsonObject{{"Enabled", c.SecuritySettings.Enabled},
                                             {"GroupServer", c.SecuritySettings.GroupServer},
                                             {"Domain", c.SecuritySettings.Domain}}},
            {"ProfileSettings", profiles},
            {"ScanningSettings", QJsonObject{{"StationMode", s.StationMode},
                                             {"ScannerId", s.ScannerId},
                                             {"MinPageHeight", s.MinPageHeight},
                                             {"ViewImageSize", s.ViewImageSize},
                                             {"BackupImageSize", s.BackupImageSize},
                                             {"ResolutionIndex", s.ResolutionIndex},
                                             {"ShowLISCounter", s.ShowLISCounter},
                                             {"SignWithCertificate", s.SignWithCertificate},
                                             {"CertificateStore", s.CertificateStore},
                                             {"CertificateSubject", s.CertificateSubject}}}};
}

} // namespace kestrova
