#pragma once

#include <QString>
#include <cstdint>
#include <deque>

namespace kestrova {

class IniSource;

// The sectioned configuration of a station: scanning, directories, security, document types and
// any number of barcode profiles. The workstation reads barcode profile files (".stp") with it.
// Every value starts as 0, false or empty.

struct TKestrovaScanning {
    std::uint8_t StationMode = 0;
    QString ScannerId;
    std::int32_t MinPageHeight = 0;
    std::int32_t ViewImageSize = 0;
    std::int32_t BackupImageSize = 0;
    std::uint8_t ResolutionIndex = 0;
    bool ShowLISCounter = false;
    bool SignWithCertificate = false;
    QString CertificateStore;
    QString CertificateSubject;
};

struct TKestrovaDirectories {
    QString BackupDestination;
    QString FaxListDirectory;
    QString RemoteFaxDirectory;
    QString RemoteScannerDirectory;
    QString DecodedDirectory;
    QString ProblemsDirectory;
    QString CDWriterDrive;
    QString ScanDirectory;
    QString ViewImageDestination;
};

struct TKestrovaSecuritySettings {
    bool Enabled = false;
    QString GroupServer;
    QString Domain;
};

struct TKestrovaDocument {
    std::int32_t Size = 0;
    std::int32_t TZone = 0;
    QString Description;
    QString Tag;
    QString Reference;
};

struct TKestrovaRange {
    std::int32_t To = 0;
    std::int32_t From = 0;
};

struct TKestrovaRanges {
    TKestrovaRange QuadWide;
    TKestrovaRange Narrow;
    TKestrovaRange DoubleWide;
    TKestrovaRange Wide;
};

struct TKestrovaBarcodeOptions {
    bool Code25DropLeadingZero = false;
    bool Code128 = false;
    bool Code39 = false;
    bool CodabarStartC = false;
    bool Codabar = false;
    bool Code39CheckDigit = false;
    bool CodabarStartB = false;
    bool CodabarStartD = false;
    bool Code25CheckDigit = false;
    bool CodabarCheckDigit = false;
    bool Code25 = false;
    bool CodabarStartA = false;
};

struct TKestrovaBarcodeOtherOptions {
    bool AutomaticallyInvert = false;
    bool BackgroundIsWhite = false;
    bool PunctuationNotValid = false;
    bool DeskewLeavesRemnant = false;
    bool StopAfterFirstBarcode = false;
};

struct TKestrovaBarcodeProfile {
    TKestrovaRange DigitsRange;
    TKestrovaRanges CodabarRanges;
    TKestrovaRanges Code25Ranges;
    TKestrovaRanges Code39Ranges;
    TKestrovaRanges Code128Ranges;
    TKestrovaBarcodeOptions Options;
    std::uint8_t SearchOption = 0; // 0 to 3; other values select no search mode
    TKestrovaBarcodeOtherOptions OtherOptions;
    QString ExtraValidation;
    QString ProfileName;
};

// An owned, ordered list of T: add() appends an empty item and returns its index. Items keep their
// place in memory while the list grows.
template <typename T> class TKestrovaList {
public:
    int add() {
        m_items.emplace_back();
        return static_cast<int>(m_items.size()) - 1;
    }
    int count() const { return static_cast<int>(m_items.size()); }
    T& item(int index) { return m_items.at(static_cast<std::size_t>(index)); }
    const T& item(int index) const { return m_items.at(static_cast<std::size_t>(index)); }

private:
    std::deque<T> m_items;
};

using TKestrovaDocuments = TKestrovaList<TKestrovaDocument>;
using TKestrovaBarcodeProfiles = TKestrovaList<TKestrovaBarcodeProfile>;

class TKestrovaConfiguration {
public:
    TKestrovaDirectories DirectorySettings;
    TKestrovaDocuments DocumentSettings;
    TKestrovaSecuritySettings SecuritySettings;
    TKestrovaBarcodeProfiles ProfileSettings;
    TKestrovaScanning ScanningSettings;

    // Reads the file at path into the tree: scanning, barcode profiles, directories, security,
    // documents. Profiles and documents are appended to those already held; indexed sections are
    // read from 0 up to the first one that is missing. A file that cannot be read reads as an empty
    // one (every key gives its default): the result is then false and error says why.
    bool Load(const IniSource& source, const QString& path, QString* error = nullptr);
};

// Section names of the indexed sections.
QString ProfileSectionName(int index);
QString DocumentSectionName(int index);

} // namespace kestrova
