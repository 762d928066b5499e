#pragma once

// What the signing and backup benchmarks share: a station certificate made with the openssl
// command, and the floor's own steps (CMS signing with OpenSSL, adding to a zip file with libzip)
// without any of the station's code but the deflating source of the zip adapter.

#include "core/station/Station.h"
#include "core/store/SigningCertificate.h"
#include "platform/openssl/OpenSslSmime.h"
#include "platform/zip/DeflatedSource.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/pem.h>
#include <zip.h>

namespace kestrova::bench {

// A self-signed certificate with its key (serial 1A2B) in programDir/certificates/MY, and the
// station set up to sign with it through smime. False when the openssl command failed or the
// station did not select the certificate.
inline bool UseStationCertificate(Station& station, OpenSslSmime& smime, const QString& programDir) {
    const QString store = programDir + QStringLiteral("certificates/MY");
    QDir().mkpath(store);
    QProcess p;
    p.setWorkingDirectory(store);
    p.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "st.key", "-out", "st.pem", "-subj",
                        "/CN=Bench Station", "-days", "30", "-set_serial", "0x1A2B"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return false;
    StationSetup& setup = station.editSetup();
    setup.ProgramDir = programDir;
    setup.SigningOn = true;
    setup.CertificateInfo = {"MY", "", "1A2B", "bench@lab.invalid", ""};
    station.SMIME1 = &smime;
    SelectSigningCertificate(station);
    return !station.CertMgr2.isEmpty();
}

// The floor's signing: OpenSSL's CMS signing of the bytes as they are, written as S/MIME.
class FloorSigner {
public:
    explicit FloorSigner(const QString& programDir) {
        m_cert =
            PEM_read_bio_X509(Bio(programDir + QStringLiteral("certificates/MY/st.pem")), nullptr, nullptr, nullptr);
        m_key = PEM_read_bio_PrivateKey(Bio(programDir + QStringLiteral("certificates/MY/st.key")), nullptr, nullptr,
                                        nullptr);
    }
    ~FloorSigner() {
        X509_free(m_cert);
        EVP_PKEY_free(m_key);
    }
    FloorSigner(const FloorSigner&) = delete;
    FloorSigner& operator=(const FloorSigner&) = delete;
    bool ready() const { return m_cert && m_key; }

    QByteArray sign(const QByteArray& data) const {
        BIO* in = BIO_new_mem_buf(data.constData(), static_cast<int>(data.size()));
        CMS_ContentInfo* cms = CMS_sign(m_cert, m_key, nullptr, in, CMS_BINARY);
        BIO* out = BIO_new(BIO_s_mem());
        SMIME_write_CMS(out, cms, nullptr, CMS_BINARY);
        char* bytes = nullptr;
        const long size = BIO_get_mem_data(out, &bytes);
        QByteArray message(bytes, size);
        BIO_free(out);
        BIO_free(in);
        CMS_ContentInfo_free(cms);
        return message;
    }

private:
    // A memory BIO over a file's bytes, freed on the next call.
    BIO* Bio(const QString& path) {
        QFile f(path);
        m_pem = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        BIO_free(m_bio);
        m_bio = BIO_new_mem_buf(m_pem.constData(), static_cast<int>(m_pem.size()));
        return m_bio;
    }
    QByteArray m_pem;
    BIO* m_bio = nullptr;
    X509* m_cert = nullptr;
    EVP_PKEY* m_key = nullptr;
};

// How the floor deflates its entries (at level 9 either way): libzip's own zlib deflate when the
// archive is written, or libdeflate when the entry is added, as the station's zip adapter does.
enum class Deflater { Zlib, Libdeflate };

inline const char* DeflaterName(Deflater d) {
    return d == Deflater::Zlib ? "zlib" : "libdeflate";
}

// Adds data (kept alive by the caller until the archive is written) as an entry at level 9.
inline bool FloorAdd(zip_t* archive, const QString& name, const QByteArray& data, Deflater deflater) {
    zip_source_t* source = deflater == Deflater::Zlib
                               ? zip_source_buffer(archive, data.constData(), static_cast<zip_uint64_t>(data.size()), 0)
                               : DeflatedSource(archive, data, 9);
    if (!source) return false;
    const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9) == 0;
}

} // namespace kestrova::bench
