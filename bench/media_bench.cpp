// Finalising a medium and checking it with the verify utility: a medium of signed images (default
// 10,000; KESTROVA_MEDIA_BENCH_IMAGES sets another number) in zip files of 100, each image a 200 dpi
// A4 page in CCITT G4, each message signed with SHA-256 and a 2048-bit RSA key.
//
// - finalise at 100 percent: every zip file checked against the database, every message extracted,
//   verified and its image loaded, the row's Verified written, the summary written and copied. The
//   pause of 100 ms after every tenth row is left out (it would add 10 s per 1,000 rows).
// - the verify utility's check (CheckMedia) on one thread and on all cores.
// - the floor: `unzip -t` of every zip file plus `openssl cms -verify` of every message, one
//   process after another, on one core (taskset -c 0).
// Prints images per second of each and the ratios; see bench/README.md for the figures.

#include "core/admin/FinaliseMedia.h"
#include "core/config/SetupInfo.h"
#include "core/db/TImageDataModule.h"
#include "core/ports/Clock.h"
#include "core/ports/Prompter.h"
#include "core/ports/Volumes.h"
#include "core/station/Station.h"
#include "core/store/MediaCheck.h"
#include "core/store/SignBackup.h"
#include "core/store/SigningCertificate.h"
#include "core/store/ZipMedia.h"
#include "core/store/ZipNames.h"
#include "core/util/DateTime.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/openssl/OpenSslSmime.h"
#include "platform/zip/LibzipArchive.h"

#include <leptonica/allheaders.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <thread>

namespace {

using namespace kestrova;

class YesPrompter : public Prompter {
public:
    MessageResult message(const QString&, const QString& text, MessageIcon, MessageButtons buttons) override {
        if (buttons == MessageButtons::YesNo) return MessageResult::Yes;
        if (text.startsWith(QLatin1String("Complete")) || text.startsWith(QLatin1String("Aborted")))
            std::printf("%s\n", qPrintable(QString(text).replace('\n', ' ')));
        return MessageResult::Ok;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return QStringLiteral("100");
    }
};

class LabelledVolumes : public Volumes {
public:
    std::optional<DiskSpace> diskSpace(const QString&) const override { return DiskSpace{4096, 1u << 20, 1u << 21}; }
    VolumeInfo volumeOf(const QString&) const override { return {"/", "/dev/bench", "ext4", "BENCH01"}; }
};

QByteArray MakePage(const QString& path) {
    PIX* pix = pixCreate(1654, 2339, 1);
    QRandomGenerator rng(7);
    for (int line = 0; line < 60; ++line) {
        for (int word = 0; word < 12; ++word) {
            BOX* box = boxCreate(100 + word * 120 + rng.bounded(20), 150 + line * 35, 60 + rng.bounded(50), 18);
            pixRasterop(pix, box->x, box->y, box->w, box->h, PIX_SET, nullptr, 0, 0);
            boxDestroy(&box);
        }
    }
    pixWrite(path.toLocal8Bit().constData(), pix, IFF_TIFF_G4);
    pixDestroy(&pix);
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

bool Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitCode() == 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int images = qEnvironmentVariableIsSet("KESTROVA_MEDIA_BENCH_IMAGES")
                           ? qEnvironmentVariableIntValue("KESTROVA_MEDIA_BENCH_IMAGES")
                           : 10000;
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    YesPrompter prompter;
    SystemClock clock;
    Station station(prompter, clock);
    OpenSslSmime smime(root + QStringLiteral("certificates/"));
    for (const char* d : {"certificates/MY", "local/ZipFiles", "backup/12", "ImageDatabase"}) QDir().mkpath(root + d);
    if (!Run("openssl",
             {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", root + "certificates/MY/st.key", "-out",
              root + "certificates/MY/st.pem", "-subj", "/CN=Bench Station", "-days", "30", "-set_serial", "0x1A2B"})) {
        std::fprintf(stderr, "cannot make the certificate\n");
        return 1;
    }
    StationSetup& setup = station.editSetup();
    setup.ProgramDir = root;
    setup.SetupInfo.Directories[SlotLocalImages] = root + "local/";
    setup.SetupInfo.Directories[SlotBackup] = root + "backup/";
    setup.SetupInfo.FreeSpace[3] = 1000000;
    setup.StoreMask = QStringLiteral("**");
    setup.SigningOn = true;
    setup.CertificateInfo = {"MY", "", "1A2B", "bench@lab.invalid", ""};
    station.SMIME1 = &smime;
    SelectSigningCertificate(station);
    QFile::copy(QStringLiteral(KESTROVA_BENCH_BIN_DIR "/ImageDatabase/KestrovaImageDataBlank.mdb"),
                root + "ImageDatabase/db.mdb");
    QFile(root + "ImageDatabase/db.mdb").setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    TImageDataModule data(station, root + "ImageDatabase/db.mdb");
    station.DataModule = &data;
    data.ensureOpen();
    LibzipFactory zips;
    ZipMedia media(station, zips);
    SignedImageArchive archive(station, media);
    const LeptonicaImageCodec codec;
    const LabelledVolumes volumes;

    // The medium: zip files of 100 signed messages and their rows.
    const QByteArray page = MakePage(root + "page.tif");
    QElapsedTimer t;
    t.start();
    QSqlDatabase db = data.Database1();
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare("insert into ImageData (SeqNumber, ReqID, DocDefn, ScanTime, CDWriteTime, CDLabel, ZipName, "
                   "SentToSystem) values (?, ?, 'REQS1A', ?, ?, 'BENCH01', ?, 0)");
    std::unique_ptr<ZipArchive> zip;
    QString zipName;
    const QDateTime scan = QDateTime::currentDateTime();
    for (int i = 0; i < images; ++i) {
        const QString req = QStringLiteral("12%1").arg(i, 6, 10, QLatin1Char('0'));
        const QString key = req + QStringLiteral("~REQS1A");
        QFile local(root + "local/" + key + ".tif");
        local.open(QIODevice::WriteOnly);
        local.write(page);
        local.close();
        if (i % 100 == 0) {
            if (zip && !zip->commit()) return 1;
            zipName = QStringLiteral("12~bench %1").arg(i / 100, 4, 10, QLatin1Char('0'));
            QString error;
            zip = zips.open(root + "backup/12/" + zipName + ".zip", error);
        }
        QDateTime written;
        const Result<QByteArray> message =
            archive.SignedMessageFor(key, ".tif", scan, QString::number(i + 1), zipName + ".zip", written);
        if (!message) {
            std::fprintf(stderr, "signing failed: %s\n", qPrintable(message.error()));
            return 1;
        }
        if (!zip->add(key + ".eml", message.value(), written, 9)) return 1;
        insert.addBindValue(i + 1);
        insert.addBindValue(req);
        insert.addBindValue(scan.toString("yyyy-MM-dd hh:mm:ss"));
        insert.addBindValue(written.toString("yyyy-MM-dd hh:mm:ss"));
        insert.addBindValue(zipName);
        insert.exec();
    }
    if (zip && !zip->commit()) return 1;
    zip.reset();
    db.commit();
    std::printf("medium of %d signed images made in %.1f s\n", images, t.elapsed() / 1000.0);

    // Finalise at 100 percent.
    FinaliseMedia finalise(station, media, archive, codec, smime, volumes);
    finalise.view.pause = [](int) {};
    t.restart();
    finalise.FinalisemediaClick();
    const double finaliseS = t.elapsed() / 1000.0;
    if (!finalise.Completed) std::printf("finalise did not complete\n");
    // The summary stays on the medium for the utility.

    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    t.restart();
    const MediaCheckResult one = CheckMedia(root + "backup", zips, codec, smime, 1);
    const double oneS = t.elapsed() / 1000.0;
    t.restart();
    const MediaCheckResult all = CheckMedia(root + "backup", zips, codec, smime, cores);
    const double allS = t.elapsed() / 1000.0;
    if (!one.ok() || !all.ok())
        std::printf("utility found %lld problems\n", static_cast<long long>(one.problems.size()));

    // The floor: unzip -t of every zip file and openssl cms -verify of every message, on one core.
    t.restart();
    QDirIterator it(root + "backup/12", {"*.zip"}, QDir::Files);
    const QString extracted = root + "extracted/";
    QDir().mkpath(extracted);
    QStringList zipsOnMedium;
    while (it.hasNext()) zipsOnMedium << it.next();
    for (const QString& z : zipsOnMedium) {
        if (!Run("taskset", {"-c", "0", "unzip", "-tq", z})) std::printf("unzip -t failed on %s\n", qPrintable(z));
    }
    const double unzipS = t.elapsed() / 1000.0;
    // The messages are taken out without timing (the test above has read every byte already).
    for (const QString& z : zipsOnMedium) Run("unzip", {"-qo", z, "-d", extracted});
    QElapsedTimer v;
    v.start();
    QDirIterator msgs(extracted, {"*.eml"}, QDir::Files);
    int verified = 0;
    while (msgs.hasNext()) {
        const QString m = msgs.next();
        if (Run("taskset", {"-c", "0", "openssl", "cms", "-verify", "-noverify", "-in", m, "-out", "/dev/null"}))
            ++verified;
    }
    const double floorS = unzipS + v.elapsed() / 1000.0;
    std::printf("floor verified %d of %d messages\n", verified, images);

    auto rate = [&](double s) { return images / s; };
    std::printf("finalise 100%%:            %8.1f images/s (%.1f s)\n", rate(finaliseS), finaliseS);
    std::printf("verify utility, 1 thread:  %8.1f images/s (%.1f s)\n", rate(oneS), oneS);
    std::printf("verify utility, %d threads: %8.1f images/s (%.1f s)\n", cores, rate(allS), allS);
    std::printf("floor (unzip -t + openssl cms -verify, one core): %8.1f images/s (%.1f s)\n", rate(floorS), floorS);
    std::printf("utility 1 thread / floor time: %.2f (target <= 1.5)\n", oneS / floorS);
    std::printf("floor time / utility all cores: %.2f (target >= %.2f)\n", floorS / allS, 0.75 * cores);
    return 0;
}
