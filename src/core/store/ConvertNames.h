#pragma once

#include "core/config/SetupInfo.h"

#include <QString>

namespace kestrova {

// The parts of a store name taken from a decoded file's name, before the unique suffix: the
// request number and the document part G ("~" + document code + scanner identifier + the first
// two characters of the decode tail). ok is false, with the reason in problem, when the name
// cannot give a usable store name.
struct DecodedName {
    bool ok = false;
    QString ReqID;
    QString G;
    QString problem;
};

// Splits a decoded file name (without directory). docIndex is the document definition matched by
// the page length, -1 when none matched; it names the document when the file name carries no
// document code.
DecodedName SplitDecodedName(const QString& fileName, const setupinformation& setup, int docIndex);

// The document definition nearest to an image's page length (height / vertical resolution in
// 1/250.4 inch), or -1 when the image has no vertical resolution or the setup defines no documents.
int MatchDocument(const setupinformation& setup, int heightPixels, int yResolution);

} // namespace kestrova
