#pragma once

#include "core/ports/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace kestrova {

// The texts a certificate manager reads from the certificate it holds.
struct CertificateDetails {
    QString CertSerialNumber;   // upper-case hexadecimal, no blanks
    QString CertIssuer;         // one line, e.g. "CN=Lab Test CA, O=Lab"
    QString CertSubject;        // one line
    QString CertExpirationDate; // local time, e.g. "17 November 2009 14:30:15" (read by ParseDateText)
};

// The certificate a certificate manager holds: its encoded form and its texts. Empty when none is
// held.
struct HeldCertificate {
    QByteArray encoded;
    CertificateDetails details;
    bool isEmpty() const { return encoded.isEmpty(); }
};

// The certificates of one store, in the store's order, and what could not be read there.
struct CertificateList {
    QList<QByteArray> certificates; // encoded (DER) forms
    QStringList problems;           // one line each: an unreadable file, a key that does not belong
};

// What a verified message held: the headers and body the signer signed, split at the first empty
// line, each as it was signed (CR LF line ends).
struct SignedContent {
    QByteArray headers; // up to and including the line end of the last header line
    QByteArray body;    // everything after the empty line
};

// The certificate store and the S/MIME signer of a signing station. A store is named; where its
// certificates and private keys live is the adapter's business (a directory per store name).
class Smime {
public:
    virtual ~Smime() = default;

    // Lists the certificates of a store (fails when the store itself cannot be read). A certificate
    // whose private key is missing or does not match is still listed, with a problem line; signing
    // with it then fails.
    virtual Result<CertificateList> listCertificates(const QString& store) = 0;
    // The details of an encoded certificate.
    virtual Result<CertificateDetails> details(const QByteArray& certificate) const = 0;
    // Signs headers + CR LF + body as an opaque S/MIME message (signed data holding the content
    // and the certificate) with the certificate and its private key from the store. The result is
    // the complete message text; the caller normalises its line ends.
    virtual Result<QByteArray> sign(const QString& store, const QByteArray& certificate, const QByteArray& headers,
                                    const QByteArray& body) = 0;
    // Checks the signature of an opaque signed message against the certificate it carries and gives
    // back the signed content. Failure when the message is not signed data or anything was changed.
    virtual Result<SignedContent> verify(const QByteArray& message) const = 0;
};

} // namespace kestrova
