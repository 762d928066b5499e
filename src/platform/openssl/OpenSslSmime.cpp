#include "platform/openssl/OpenSslSmime.h"

#include "core/util/SafePaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>

#include <sys/stat.h>
#include <unistd.h>

namespace kestrova {

namespace {

template <typename T, void (*Free)(T*)> struct Deleter {
    void operator()(T* p) const { Free(p); }
};
void FreeBio(BIO* b) {
    BIO_free_all(b);
}
void FreeStack(STACK_OF(X509) * s) {
    sk_X509_pop_free(s, X509_free);
}
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, FreeBio>>;
using X509Ptr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using CmsPtr = std::unique_ptr<CMS_ContentInfo, Deleter<CMS_ContentInfo, CMS_ContentInfo_free>>;
using StorePtr = std::unique_ptr<X509_STORE, Deleter<X509_STORE, X509_STORE_free>>;
using P12Ptr = std::unique_ptr<PKCS12, Deleter<PKCS12, PKCS12_free>>;
using StackPtr = std::unique_ptr<STACK_OF(X509), Deleter<STACK_OF(X509), FreeStack>>;

// The OpenSSL errors queued since the last call, one line, oldest first; fallback when none.
QString OpenSslError(const QString& fallback) {
    QString text;
    while (const unsigned long code = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        if (!text.isEmpty()) text += QStringLiteral("; ");
        text += QString::fromLatin1(buffer);
    }
    return text.isEmpty() ? fallback : fallback + QStringLiteral(" (") + text + QLatin1Char(')');
}

BioPtr MemoryBio(const QByteArray& bytes) {
    return BioPtr(BIO_new_mem_buf(bytes.constData(), static_cast<int>(bytes.size())));
}

QByteArray BioBytes(BIO* bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return size > 0 ? QByteArray(data, size) : QByteArray();
}

QByteArray Der(X509* cert) {
    unsigned char* out = nullptr;
    const int size = i2d_X509(cert, &out);
    if (size <= 0) return {};
    QByteArray der(reinterpret_cast<const char*>(out), size);
    OPENSSL_free(out);
    return der;
}

X509Ptr FromDer(const QByteArray& der) {
    const auto* p = reinterpret_cast<const unsigned char*>(der.constData());
    return X509Ptr(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
}

QString NameText(const X509_NAME* name) {
    BioPtr out(BIO_new(BIO_s_mem()));
    constexpr unsigned long flags = (ASN1_STRFLGS_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) | XN_FLAG_SEP_CPLUS_SPC |
                                    XN_FLAG_FN_SN | ASN1_STRFLGS_UTF8_CONVERT;
    X509_NAME_print_ex(out.get(), name, 0, flags);
    return QString::fromUtf8(BioBytes(out.get()));
}

QString SerialText(const X509* cert) {
    BIGNUM* bn = ASN1_INTEGER_to_BN(X509_get0_serialNumber(cert), nullptr);
    if (!bn) return {};
    char* hex = BN_bn2hex(bn);
    QString text = hex ? QString::fromLatin1(hex).toUpper() : QString();
    OPENSSL_free(hex);
    BN_free(bn);
    return text;
}

QString ExpirationText(const X509* cert) {
    struct tm t = {};
    if (ASN1_TIME_to_tm(X509_get0_notAfter(cert), &t) != 1) return {};
    const QDateTime utc(QDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday), QTime(t.tm_hour, t.tm_min, t.tm_sec),
                        Qt::UTC);
    return QLocale::c().toString(utc.toLocalTime(), QStringLiteral("dd MMMM yyyy hh:mm:ss"));
}

QByteArray ReadAll(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read ") + path + QStringLiteral(": ") + file.errorString();
        return {};
    }
    return file.readAll();
}

// The password of a PKCS#12 file from its companion NAME.pass, which only the station's account
// may read; empty (no companion) means an empty password.
bool PasswordFor(const QString& p12Path, QByteArray& password, QString& problem) {
    const QFileInfo info(p12Path);
    const QString passPath = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".pass");
    struct stat st = {};
    if (::stat(QFile::encodeName(passPath).constData(), &st) != 0) return true;
    if (st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        problem = QStringLiteral("the password file ") + passPath +
                  QStringLiteral(" must belong to the station's account and be readable by nobody else");
        return false;
    }
    const QByteArray text = ReadAll(passPath, problem);
    if (!problem.isEmpty()) return false;
    password = text.split('\n').front();
    if (password.endsWith('\r')) password.chop(1);
    return true;
}

} // namespace

struct OpenSslSmime::Entry {
    QString file;
    X509Ptr cert;
    KeyPtr key;
    QByteArray der;
    QString keyProblem; // why the certificate cannot sign; empty when its key belongs to it
};

namespace {

using Entry = OpenSslSmime::Entry;

// Reads a certificate file of the store into entry; false with problem when there is no
// certificate. A missing or foreign key leaves keyProblem set.
bool ReadPem(const QString& path, Entry& entry, QString& problem) {
    const QByteArray bytes = ReadAll(path, problem);
    if (!problem.isEmpty()) return false;
    BioPtr bio = MemoryBio(bytes);
    entry.cert.reset(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    if (!entry.cert) {
        problem = OpenSslError(QStringLiteral("no certificate in ") + path);
        return false;
    }
    ERR_clear_error();
    bio = MemoryBio(bytes);
    entry.key.reset(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, const_cast<char*>("")));
    if (!entry.key) {
        ERR_clear_error();
        const QFileInfo info(path);
        const QString keyPath = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".key");
        if (QFileInfo::exists(keyPath)) {
            QString keyError;
            const QByteArray keyBytes = ReadAll(keyPath, keyError);
            BioPtr keyBio = MemoryBio(keyBytes);
            if (keyError.isEmpty())
                entry.key.reset(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, const_cast<char*>("")));
            if (!entry.key)
                entry.keyProblem =
                    keyError.isEmpty() ? OpenSslError(QStringLiteral("no private key in ") + keyPath) : keyError;
        } else {
            entry.keyProblem = QStringLiteral("no private key for the certificate ") + path;
        }
    }
    return true;
}

bool ReadP12(const QString& path, Entry& entry, QString& problem) {
    const QByteArray bytes = ReadAll(path, problem);
    if (!problem.isEmpty()) return false;
    QByteArray password;
    if (!PasswordFor(path, password, problem)) return false;
    BioPtr bio = MemoryBio(bytes);
    P12Ptr p12(d2i_PKCS12_bio(bio.get(), nullptr));
    if (!p12) {
        problem = OpenSslError(QStringLiteral("not a PKCS#12 file: ") + path);
        return false;
    }
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    if (PKCS12_parse(p12.get(), password.constData(), &key, &cert, &chain) != 1) {
        problem = OpenSslError(QStringLiteral("cannot open ") + path + QStringLiteral(" with its password"));
        return false;
    }
    StackPtr chainOwner(chain);
    entry.cert.reset(cert);
    entry.key.reset(key);
    if (!entry.cert) {
        problem = QStringLiteral("no certificate in ") + path;
        return false;
    }
    if (!entry.key) entry.keyProblem = QStringLiteral("no private key in ") + path;
    return true;
}

} // namespace

OpenSslSmime::OpenSslSmime(QString storesDir) : m_storesDir(std::move(storesDir)) {
    if (!m_storesDir.endsWith(QLatin1Char('/'))) m_storesDir += QLatin1Char('/');
}

OpenSslSmime::~OpenSslSmime() = default;

void OpenSslSmime::reload() {
    m_stores.clear();
}

QString OpenSslSmime::storeDirectory(const QString& store) const {
    if (!UnsafeNameReason(store).isEmpty()) return {};
    return m_storesDir + store + QLatin1Char('/');
}

Result<const std::vector<OpenSslSmime::Entry>*> OpenSslSmime::loadStore(const QString& store) {
    if (const auto found = m_stores.constFind(store); found != m_stores.constEnd())
        return Result<const std::vector<Entry>*>::success(found.value().get());
    using R = Result<const std::vector<Entry>*>;
    const QString dir = storeDirectory(store);
    if (dir.isEmpty()) return R::failure(QStringLiteral("\"") + store + QStringLiteral("\" is not a store name"));
    if (!QFileInfo(dir).isDir()) return R::failure(QStringLiteral("no certificate store ") + dir);
    auto entries = std::make_shared<std::vector<Entry>>();
    m_stores.insert(store, entries);
    return R::success(entries.get());
}

Result<CertificateList> OpenSslSmime::listCertificates(const QString& store) {
    m_stores.remove(store);
    const auto loaded = loadStore(store);
    if (!loaded) return Result<CertificateList>::failure(loaded.error());
    auto& entries = *const_cast<std::vector<Entry>*>(loaded.value());
    const QString dir = storeDirectory(store);
    CertificateList list;
    // Unreadable files are looked at too, so that the log says why they are of no use.
    const QFileInfoList all = QDir(dir).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& info : all) {
        const QString suffix = info.suffix().toLower();
        const bool pem =
            suffix == QLatin1String("pem") || suffix == QLatin1String("crt") || suffix == QLatin1String("cer");
        const bool p12 = suffix == QLatin1String("p12") || suffix == QLatin1String("pfx");
        if (!pem && !p12) continue;
        Entry entry;
        entry.file = info.filePath();
        QString problem;
        ERR_clear_error();
        if (!(pem ? ReadPem(entry.file, entry, problem) : ReadP12(entry.file, entry, problem))) {
            list.problems << problem;
            continue;
        }
        if (entry.key && X509_check_private_key(entry.cert.get(), entry.key.get()) != 1) {
            ERR_clear_error();
            entry.key.reset();
            entry.keyProblem = QStringLiteral("the private key of ") + entry.file +
                               QStringLiteral(" does not belong to its certificate");
        }
        if (!entry.keyProblem.isEmpty()) list.problems << entry.keyProblem;
        entry.der = Der(entry.cert.get());
        list.certificates << entry.der;
        entries.push_back(std::move(entry));
    }
    return Result<CertificateList>::success(std::move(list));
}

Result<CertificateDetails> OpenSslSmime::details(const QByteArray& certificate) const {
    const X509Ptr cert = FromDer(certificate);
    if (!cert) return Result<CertificateDetails>::failure(OpenSslError(QStringLiteral("not a certificate")));
    CertificateDetails d;
    d.CertSerialNumber = SerialText(cert.get());
    d.CertIssuer = NameText(X509_get_issuer_name(cert.get()));
    d.CertSubject = NameText(X509_get_subject_name(cert.get()));
    d.CertExpirationDate = ExpirationText(cert.get());
    return Result<CertificateDetails>::success(std::move(d));
}

Result<QByteArray> OpenSslSmime::sign(const QString& store, const QByteArray& certificate, const QByteArray& headers,
                                      const QByteArray& body) {
    using R = Result<QByteArray>;
    if (certificate.isEmpty()) return R::failure(QStringLiteral("no signing certificate"));
    // A store not read yet is read now.
    if (!m_stores.contains(store)) {
        const Result<CertificateList> listed = listCertificates(store);
        if (!listed) return R::failure(listed.error());
    }
    const Entry* signer = nullptr;
    for (const Entry& e : *m_stores.value(store)) {
        if (e.der == certificate) signer = &e;
    }
    if (!signer) return R::failure(QStringLiteral("the signing certificate is not in the store ") + store);
    if (!signer->key) return R::failure(signer->keyProblem);

    ERR_clear_error();
    QByteArray content;
    content.reserve(headers.size() + 2 + body.size());
    content += headers;
    content += "\r\n";
    content += body;
    BioPtr in = MemoryBio(content);
    constexpr unsigned int flags = CMS_BINARY | CMS_PARTIAL | CMS_NOSMIMECAP;
    CmsPtr cms(CMS_sign(nullptr, nullptr, nullptr, nullptr, flags));
    if (!cms || !CMS_add1_signer(cms.get(), signer->cert.get(), signer->key.get(), EVP_sha256(), flags) ||
        CMS_final(cms.get(), in.get(), nullptr, flags) != 1)
        return R::failure(OpenSslError(QStringLiteral("signing failed")));
    BioPtr der(BIO_new(BIO_s_mem()));
    if (i2d_CMS_bio(der.get(), cms.get()) != 1) return R::failure(OpenSslError(QStringLiteral("signing failed")));

    // The message: the address lines of the headers stay readable outside, then the signed data.
    QByteArray message;
    for (QByteArray line : headers.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        const QByteArray lower = line.toLower();
        if (line.isEmpty() || lower.startsWith("content-") || lower.startsWith("mime-version:")) continue;
        message += line + "\r\n";
    }
    message += "MIME-Version: 1.0\r\n"
               "Content-Disposition: attachment; filename=\"smime.p7m\"\r\n"
               "Content-Type: application/pkcs7-mime; smime-type=signed-data; name=\"smime.p7m\"\r\n"
               "Content-Transfer-Encoding: base64\r\n"
               "\r\n";
    const QByteArray encoded = BioBytes(der.get()).toBase64();
    message.reserve(message.size() + encoded.size() + (encoded.size() / 64 + 1) * 2);
    for (qsizetype i = 0; i < encoded.size(); i += 64) {
        message.append(encoded.constData() + i, std::min<qsizetype>(64, encoded.size() - i));
        message += "\r\n";
    }
    return R::success(std::move(message));
}

Result<SignedContent> OpenSslSmime::verify(const QByteArray& message) const {
    return verifyMessage(message, QString());
}

Result<SignedContent> OpenSslSmime::verifyWithCa(const QByteArray& message, const QString& caFile) const {
    return verifyMessage(message, caFile);
}

Result<SignedContent> OpenSslSmime::verifyMessage(const QByteArray& message, const QString& caFile) const {
    using R = Result<SignedContent>;
    ERR_clear_error();
    BioPtr in = MemoryBio(message);
    BIO* detached = nullptr;
    CmsPtr cms(SMIME_read_CMS(in.get(), &detached));
    BioPtr detachedOwner(detached);
    if (!cms) return R::failure(OpenSslError(QStringLiteral("not a signed message")));
    if (detached) return R::failure(QStringLiteral("the message is not opaque signed data"));
    StorePtr store(X509_STORE_new());
    unsigned int flags = CMS_BINARY;
    if (caFile.isEmpty()) {
        flags |= CMS_NO_SIGNER_CERT_VERIFY;
    } else if (X509_STORE_load_file(store.get(), QFile::encodeName(caFile).constData()) != 1) {
        return R::failure(OpenSslError(QStringLiteral("cannot read the trusted certificates ") + caFile));
    }
    BioPtr out(BIO_new(BIO_s_mem()));
    if (CMS_verify(cms.get(), nullptr, store.get(), nullptr, out.get(), flags) != 1)
        return R::failure(OpenSslError(QStringLiteral("the signature does not verify")));
    const QByteArray content = BioBytes(out.get());
    SignedContent signedContent;
    const qsizetype split = content.indexOf("\r\n\r\n");
    if (split < 0) {
        signedContent.headers = content;
    } else {
        signedContent.headers = content.left(split + 2);
        signedContent.body = content.mid(split + 4);
    }
    return R::success(std::move(signedContent));
}

} // namespace kestrova
