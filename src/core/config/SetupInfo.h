#pragma once

#include <QString>
#include <QVector>
#include <array>
#include <cstdint>

namespace kestrova {

// Marks a directory slot of the setup file that is switched off.
inline const QString DriveDisabled = QStringLiteral("Drive Disabled");

enum StationModes : std::uint8_t { ModeNone = 0, ModeSingle = 1, ModeRemote = 2, ModeScanServer = 3, ModeCDServer = 4 };

// Directory slots of the setup file (1-based, as the configuration program numbers them).
enum DirectorySlot {
    SlotScan = 1,
    SlotProblems = 2,
    SlotDecoded = 3,
    SlotRemoteDecoded = 4,
    SlotImageStore = 5,
    SlotLocalImages = 6,
    SlotBackup = 7,
    SlotSecondMasked = 8,
    SlotSpare = 9
};

// Codes of the other lines of the setup file, as the configuration program numbers them.
enum SetupCode {
    CodeNarrowBarRange = 10,   // narrowFrom,narrowTo
    CodeWideBarRange = 11,     // wideFrom,wideTo
    CodeDoubleQuadRanges = 12, // doubleFrom,doubleTo[,quadFrom,quadTo]
    CodeNumberOfDigits = 13,   // digitsFrom,digitsTo
    CodeMinPageHeight = 14,    // millimetres
    CodeBarcodeTypes = 15,     // the reader's flags word
    CodeOperatingMode = 16,    // SINGLE, REMOTE, SCANSERVER or CDSERVER
    CodeImageFormat = 17,      // PNG or TIFF4
    CodeScannerId = 18,
    CodeImageSizes = 19,      // view size:backup size:resolution index
    CodeFileSecurity = 20,    // flag:domain
    CodeSigning = 21,         // flag~store~text~serial~address
    CodeShowLisCounter = 22,  // yes shows "Awaiting Lab IS"
    CodeExtraValidation = 23, // patterns separated by ;
    CodeColourDepth = 24,
    CodeImagePerBarcode = 25,    // yes or no
    CodeDeletedProblemDays = 26, // days a deleted problem page can still be restored
    // Every code from the first to the last document definition is one document type.
    CodeFirstDocDefinition = 200,
    CodeLastDocDefinition = 1000,
};

// One document type.
struct docdefinition {
    QString DocName; // at most 20 characters
    QString DocCode; // "~" + code, at most 10 characters in all
    std::int32_t PageLength = 0;
    std::int32_t SearchDepth = 0;
    QString Account;
};

struct setupinformation {
    // Directories[0] is unused so that slot n is Directories[n].
    std::array<QString, 10> Directories;
    // FreeSpace[1..3] and TotalSpace[1..3]: drives of slots 1, 5 and 7, units of 10,000 bytes.
    std::array<std::int64_t, 4> FreeSpace{};
    std::array<std::int64_t, 4> TotalSpace{};
    QVector<docdefinition> DocDefs;
    std::int32_t DocDefCount = 0;
    std::int32_t NarrowFrom = 0, NarrowTo = 0;
    std::int32_t WideFrom = 0, WideTo = 0;
    std::int32_t DigitsFrom = 0, DigitsTo = 0;
    std::int32_t DoubleFrom = 0, DoubleTo = 0;
    std::int32_t QuadFrom = 0, QuadTo = 0;
    std::int32_t MinPageHeight = 0;
    std::int64_t BarcodeTypes = 0;
    std::uint8_t StationMode = ModeNone;
    std::uint8_t ImageFormat = 0;
    QString ScannerId;
    std::int32_t ViewImageSize = 0;
    std::int32_t BackupImageSize = 0;
    std::int32_t ResolutionIndex = 0;
    QString ExtraValidation;
};

struct TCertificateInfo {
    QString Store;
    QString Text;
    QString Serial;
    QString Address;
    QString Extra;
};

} // namespace kestrova
