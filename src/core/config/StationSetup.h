#pragma once

#include "core/config/SetupInfo.h"

#include <QString>
#include <cstdint>

namespace kestrova {

// The setup values: the setup record and the values read with it from the setup file. Filled once
// when the setup file is read; everything else reads them through a const reference.
struct StationSetup {
    setupinformation SetupInfo;
    QString StoreMask;
    QString Slot8Mask;
    std::int32_t StorageResolution = -1;
    std::int32_t ColourDepth = 24;
    bool ImagePerBarcode = false;
    bool FileSecurityOn = false;
    QString SecurityDomain;
    bool SigningOn = false;
    TCertificateInfo CertificateInfo;
    bool LocalImagesFlag = false;
    // Days a deleted problem page is kept in the "deleted" folder beside the problems directory.
    std::int32_t DeletedProblemDays = 30;
    QString ProgramDir; // with a trailing "/"
    QString TempDir;    // with a trailing "/"
};

} // namespace kestrova
