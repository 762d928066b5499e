#pragma once

#include "barcode/QVCodabar.h"
#include "core/util/SafePaths.h"

#include <QDateTime>
#include <QString>

#include <array>

namespace kestrova {

// The request number a page is named by: the reader's results text without ":", carriage returns
// and line feeds.
QString DecodedBarcodeText(const QString& resultsText);

// Why barcodeText cannot start the decoded name barcodeText + documentPart + five hexadecimal
// digits + ".tif", or empty when it can. A text that is empty, starts with "." (".", ".." and
// hidden names), holds "/", "\", "~" or a control character, or makes the name longer than
// MaxDecodedNameBytes would put the page somewhere else than the decoded directory, under a
// request number that is not the barcode's, or under a name the store cannot carry.
QString UnsafeBarcodeNameReason(const QString& barcodeText, const QString& documentPart);

// Why documentPart (a document code and the scanner ID, both from the setup file) cannot be part
// of a file name: it holds "/", "\" or a control character. Empty when it can.
QString UnsafeDocumentPartReason(const QString& documentPart);

// decodedDir + barcodeText + documentPart + suffix + ".tif"; decodedDir ends with a separator.
QString DecodedFileName(const QString& decodedDir, const QString& barcodeText, const QString& documentPart,
                        const QString& suffix);

// The time stamp of a problem page: "yyyymmddhhnnsszzz" (year to milliseconds).
QString ProblemTimeStamp(const QDateTime& at);

// The time stamp of at, moved on by a millisecond at a time while problemsDir already holds a
// ".tif" or a ".scn" file of that stamp, so that two problem pages never share a name.
QString FreeProblemStamp(const QString& problemsDir, QDateTime at);

// The reason file of a problem page: one line per result list of the reader (slots 1 to 6, each
// possibly empty, line breaks inside a list removed so that the lines stay in place), then the
// problem text.
QByteArray ReasonFileText(const std::array<QString, barcode::ReaderSlotCount>& slotLines, const QString& problemText);

// Writes ReasonFileText to path, whole or not at all. Returns empty, or why it failed.
QString WriteReasonFile(const QString& path, const std::array<QString, barcode::ReaderSlotCount>& slotLines,
                        const QString& problemText);

} // namespace kestrova
