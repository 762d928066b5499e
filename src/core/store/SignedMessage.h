#pragma once

#include "core/ports/Result.h"
#include "core/ports/Smime.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace kestrova {

// What the signed message of one image says about it.
struct ImageMessage {
    QString key;         // ReqID + "~" + DocDefn
    QString ext;         // extension of the local copy, e.g. ".tif" or ".bmp"
    QString address;     // From and To
    QString scanText;    // scan time as MessageDateText
    QString writeText;   // archive write time as MessageDateText
    QString seqText;     // sequence number
    QString zipFileName; // file name of the zip file
    CertificateDetails cert;
    QByteArray wrappedBase64; // the image's base64 text wrapped at 72
};

// A date and time as the messages write it: "ddd, dd MMM yyyy hh:mm:ss" with the locale's names.
QString MessageDateText(const QDateTime& time, const QLocale& locale = QLocale::system());
// The multipart boundary of a message scanned at scanText: "----=_NextPart_" + the text with every
// blank turned into "_".
QString MessageBoundary(const QString& scanText);

// The header lines and the body of the message before signing, each line ended by CR LF.
QByteArray ImageMessageHeaders(const ImageMessage& m);
QByteArray ImageMessageBody(const ImageMessage& m);

// The text as lines, each ended by CR LF (a last line without a line end gets one).
QByteArray NormaliseLineEnds(const QByteArray& text);

// An image read back out of a verified signed message.
struct MessageImage {
    QString fileName; // the attachment's name, e.g. key + ".tif"
    QByteArray data;
};

// Result codes of reading a signed image message.
constexpr int SignatureFailed = -2;
constexpr int AttachmentUndecodable = -3;
constexpr int NotAnImageAttachment = -5;

// Checks the signature of a message's text and takes the image out of it: the attachment part
// starts at the first "Content-Type: application/octet-stream; name=" + a double quote; its name
// (between the first two double quotes) must end in an image extension; its base64 text runs from
// the part's first empty line to the next one. Failure codes: SignatureFailed (with the
// component's reason), NotAnImageAttachment, AttachmentUndecodable.
Result<MessageImage> ReadSignedImage(const Smime& smime, const QByteArray& message);
// The same for a body that has been verified already.
Result<MessageImage> ImageFromSignedBody(const QByteArray& body);

} // namespace kestrova
