#pragma once

#include "core/ports/Smime.h"

#include <QHash>
#include <memory>
#include <vector>

namespace kestrova {

// S/MIME signing and the certificate stores with OpenSSL 3.
//
// A store is the directory storesDir + store name. Its files, taken in name order:
// - NAME.pem, NAME.crt or NAME.cer: a PEM certificate (the first in the file is the station's;
//   further ones, a chain, are ignored) with its private key in the same file or in NAME.key;
// - NAME.p12 or NAME.pfx: a PKCS#12 file with an empty password, or with the password on the first
//   line of NAME.pass, which must belong to the station's account and be readable by nobody else;
// - anything else (the .key and .pass companions included) is not a certificate.
// Private keys in PEM files are not encrypted.
//
// Messages are opaque CMS signed data (the content inside, the signer's certificate included),
// signed with SHA-256; verification accepts any digest OpenSSL knows, SHA-1 of older stations too.
// A loaded store is kept until reload() so that signing does not read the key files per image.
class OpenSslSmime : public Smime {
public:
    explicit OpenSslSmime(QString storesDir);
    ~OpenSslSmime() override;
    OpenSslSmime(const OpenSslSmime&) = delete;
    OpenSslSmime& operator=(const OpenSslSmime&) = delete;

    Result<CertificateList> listCertificates(const QString& store) override;
    Result<CertificateDetails> details(const QByteArray& certificate) const override;
    Result<QByteArray> sign(const QString& store, const QByteArray& certificate, const QByteArray& headers,
                            const QByteArray& body) override;
    Result<SignedContent> verify(const QByteArray& message) const override;

    // Checks a message as verify() does and, in addition, the signer's certificate chain against
    // the trusted certificates of a PEM file.
    Result<SignedContent> verifyWithCa(const QByteArray& message, const QString& caFile) const;

    // Forgets the loaded stores; the next call reads them again.
    void reload();

    // The directory of a store; empty when the name cannot be a directory name.
    QString storeDirectory(const QString& store) const;

    struct Entry;

private:
    Result<const std::vector<Entry>*> loadStore(const QString& store);
    Result<SignedContent> verifyMessage(const QByteArray& message, const QString& caFile) const;

    QString m_storesDir;
    QHash<QString, std::shared_ptr<std::vector<Entry>>> m_stores;
};

} // namespace kestrova
