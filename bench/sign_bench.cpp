// Signed backups: 100 local copies of 300 dpi pages (about 50 KB each) signed and added one by one
// to a zip file, as the backup pass does on a signing station (message built, signed, added
// through the stream path into a zip session; the zip file is written at the end of every batch of
// ten, as the pass writes it, and moved to the media with its 100th image). Beside it the floor:
// the same images signed with OpenSSL in a loop (no message building) and added to one zip file
// with libzip, written once. Both report images per second; figures in bench/README.md.

#include "core/ports/ConsolePrompter.h"
#include "core/station/Station.h"
#include "core/store/SignBackup.h"
#include "core/store/SigningCertificate.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "platform/openssl/OpenSslSmime.h"
#include "platform/zip/LibzipArchive.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/pem.h>
#include <zip.h>

namespace {

using namespace kestrova;

constexpr int Images = 100;
constexpr int ImageBytes = 50 * 1024;

struct Rig {
    QTemporaryDir dir;
    ConsolePrompter prompter;
    SystemClock clock;
    Station station{prompter, clock};
    OpenSslSmime smime{dir.path() + QStringLiteral("/certificates/")};
    LibzipFactory zips;
    ZipMedia media{station, zips};
    SignedImageArchive archive{station, media};
    QList<QByteArray> images;
    bool ready = false;

    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    Rig() {
        QDir().mkpath(path("certificates/MY"));
        QDir().mkpath(path("local/ZipFiles"));
        QDir().mkpath(path("backup"));
        QProcess p;
        p.setWorkingDirectory(path("certificates/MY"));
        p.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "st.key", "-out", "st.pem",
                            "-subj", "/CN=Bench Station", "-days", "30", "-set_serial", "0x1A2B"});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) return;
        StationSetup& setup = station.editSetup();
        setup.ProgramDir = path("");
        setup.SetupInfo.Directories[6] = path("local/");
        setup.SetupInfo.Directories[7] = path("backup/");
        setup.StoreMask = QStringLiteral("**");
        setup.SigningOn = true;
        setup.CertificateInfo = {"MY", "", "1A2B", "bench@lab.invalid", ""};
        station.SMIME1 = &smime;
        SelectSigningCertificate(station);
        if (station.CertMgr2.isEmpty()) return;
        // A G4 page hardly compresses: random bytes behind a TIFF header stand in for one.
        for (int i = 0; i < Images; ++i) {
            QByteArray image("II*\0", 4);
            image.resize(ImageBytes);
            QRandomGenerator rng(static_cast<quint32>(i + 1));
            for (qsizetype b = 4; b < image.size(); ++b) image[b] = static_cast<char>(rng.generate());
            images << image;
            QFile f(path(QStringLiteral("local/12%1~REQS1A.tif").arg(i, 3, 10, QLatin1Char('0'))));
            if (!f.open(QIODevice::WriteOnly) || f.write(image) != image.size()) return;
        }
        ready = true;
    }

    void reset() {
        QDir(path("local/ZipFiles")).removeRecursively();
        QDir(path("backup")).removeRecursively();
        QDir().mkpath(path("local/ZipFiles"));
        QFile::remove(path("floor.zip"));
    }
};

Rig& TheRig() {
    static Rig rig;
    return rig;
}

void Report(benchmark::State& state) {
    state.counters["images/s"] = benchmark::Counter(double(state.iterations()) * Images, benchmark::Counter::kIsRate);
}

void BM_SignBackup(benchmark::State& state) {
    Rig& r = TheRig();
    if (!r.ready) return state.SkipWithError("the certificate or the images could not be made");
    for (auto _ : state) {
        state.PauseTiming();
        r.reset();
        state.ResumeTiming();
        ZipSession session(r.media);
        const QString z = session.CurrentZipFileFor(QStringLiteral("12000~REQS1A"));
        for (int i = 0; i < Images; ++i) {
            QDateTime written;
            const QString key = QStringLiteral("12%1~REQS1A").arg(i, 3, 10, QLatin1Char('0'));
            const int result = r.archive.SignBackup(z, key, written, QDateTime::currentDateTime(), r.path("backup/12/"),
                                                    QString::number(i), QStringLiteral(".tif"), &session);
            if (result < 1) return state.SkipWithError(qPrintable(r.archive.LastBackupError));
            // The backup pass writes its batch of ten before it records their rows.
            if ((i + 1) % 10 == 0 && !session.commit(z)) return state.SkipWithError("the zip file was not written");
        }
    }
    Report(state);
}

void BM_SignAndZipFloor(benchmark::State& state) {
    Rig& r = TheRig();
    if (!r.ready) return state.SkipWithError("the certificate or the images could not be made");
    const QByteArray pem = [&] {
        QFile f(r.path("certificates/MY/st.pem"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const QByteArray keyPem = [&] {
        QFile f(r.path("certificates/MY/st.key"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    BIO* cb = BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size()));
    BIO* kb = BIO_new_mem_buf(keyPem.constData(), static_cast<int>(keyPem.size()));
    X509* cert = PEM_read_bio_X509(cb, nullptr, nullptr, nullptr);
    EVP_PKEY* key = PEM_read_bio_PrivateKey(kb, nullptr, nullptr, nullptr);
    BIO_free(cb);
    BIO_free(kb);
    for (auto _ : state) {
        state.PauseTiming();
        r.reset();
        state.ResumeTiming();
        int error = 0;
        zip_t* z = zip_open(QFile::encodeName(r.path("floor.zip")).constData(), ZIP_CREATE, &error);
        QList<QByteArray> messages;
        for (int i = 0; i < Images; ++i) {
            BIO* in = BIO_new_mem_buf(r.images[i].constData(), static_cast<int>(r.images[i].size()));
            CMS_ContentInfo* cms = CMS_sign(cert, key, nullptr, in, CMS_BINARY);
            BIO* out = BIO_new(BIO_s_mem());
            SMIME_write_CMS(out, cms, nullptr, CMS_BINARY);
            char* data = nullptr;
            const long size = BIO_get_mem_data(out, &data);
            messages << QByteArray(data, size);
            BIO_free(out);
            BIO_free(in);
            CMS_ContentInfo_free(cms);
            zip_source_t* src = zip_source_buffer(z, messages.last().constData(), messages.last().size(), 0);
            const zip_int64_t index =
                zip_file_add(z, qPrintable(QStringLiteral("12%1~REQS1A.eml").arg(i)), src, ZIP_FL_OVERWRITE);
            zip_set_file_compression(z, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9);
        }
        if (zip_close(z) != 0) return state.SkipWithError("zip_close failed");
    }
    X509_free(cert);
    EVP_PKEY_free(key);
    Report(state);
}

BENCHMARK(BM_SignBackup)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_SignAndZipFloor)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();

} // namespace
