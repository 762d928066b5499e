// kestrova sign-image and verify-message: check a signing station's certificate and messages
// without the workstation.
#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "app/kestrova/RecordingPrompter.h"
#include "core/db/TImageDataModule.h"
#include "core/store/ImageExtensions.h"
#include "core/store/SignBackup.h"
#include "core/store/SignedMessage.h"
#include "core/store/ZipMedia.h"
#include "core/util/DateTime.h"
#include "platform/openssl/OpenSslSmime.h"
#include "platform/zip/LibzipArchive.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>

namespace kestrova::cli {

namespace {

const QString SignUsage = QStringLiteral("KEY [--setup FILE]");
const QString VerifyUsage = QStringLiteral("FILE [--out IMAGE] [--ca CAFILE]");

// The sequence number and scan time of a stored image's row, when the database has one.
void RowOf(StationStartup& startup, const QString& key, QString& seqText, QDateTime& scanTime) {
    if (!startup.openDatabase()) return;
    DataQuery& q = startup.database()->AdminQuery;
    q.close();
    q.unprepare();
    q.clearParams();
    q.setSQL(QStringLiteral("select SeqNumber, ScanTime from ImageData where ReqID = :QReqId and DocDefn = :QDocDefn"));
    q.setParamText(QStringLiteral("QReqId"), key.section(QLatin1Char('~'), 0, 0));
    q.setParamText(QStringLiteral("QDocDefn"), key.section(QLatin1Char('~'), 1));
    if (q.prepare() && q.open() && !q.eof()) {
        seqText = QString::number(q.fieldByName(QStringLiteral("SeqNumber")).asInteger());
        const TDateTime scan = q.fieldByName(QStringLiteral("ScanTime")).asDateTime();
        if (scan != EmptyDateTime) scanTime = FromTDateTime(scan);
    }
    q.close();
}

int SignImage(const QStringList& args) {
    QString setupFile = SetupFileName;
    QString key;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--setup") && i + 1 < args.size()) {
            setupFile = args[++i];
        } else if (key.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            key = args[i];
        } else {
            key.clear();
            break;
        }
    }
    if (key.isEmpty() || !key.contains(QLatin1Char('~'))) {
        Err(QStringLiteral("usage: kestrova sign-image ") + SignUsage);
        return 2;
    }
    RecordingPrompter prompter;
    StationStartup startup(prompter);
    startup.echoLog(Err);
    if (!startup.readSetup(setupFile, SetupNeed::Reading)) return 1;
    Station& station = startup.station();
    if (!station.setup().SigningOn) {
        Err(QStringLiteral("kestrova sign-image: this station does not sign its images (setup line 21)"));
        return 1;
    }
    const QString localDir = station.setup().SetupInfo.Directories[6];
    QString ext;
    for (const QString& candidate : ImageExtensions) {
        if (QFileInfo::exists(localDir + key + candidate)) {
            ext = candidate;
            break;
        }
    }
    if (ext.isEmpty()) {
        Err(QStringLiteral("kestrova sign-image: no local copy of ") + key + QStringLiteral(" in ") + localDir);
        return 1;
    }
    QString seqText;
    QDateTime scanTime = QFileInfo(localDir + key + ext).lastModified();
    RowOf(startup, key, seqText, scanTime);

    LibzipFactory zips;
    ZipMedia media(station, zips);
    SignedImageArchive archive(station, media);
    QDateTime written;
    const Result<QByteArray> message = archive.SignedMessageFor(
        key, ext, scanTime, seqText, QFileInfo(media.CurrentZipFileFor(key)).fileName(), written);
    if (!message) {
        Err(QStringLiteral("kestrova sign-image: ") + message.error());
        return 1;
    }
    std::fwrite(message.value().constData(), 1, static_cast<size_t>(message.value().size()), stdout);
    std::fflush(stdout);
    return 0;
}

// Exit codes of verify-message.
enum VerifyExit { Verified = 0, NotVerified = 1, BadUsage = 2, NoImage = 3 };

int VerifyMessage(const QStringList& args) {
    QString file, out, caFile;
    bool usage = args.isEmpty();
    for (int i = 0; i < args.size() && !usage; ++i) {
        if (args[i] == QLatin1String("--out") && i + 1 < args.size()) {
            out = args[++i];
        } else if (args[i] == QLatin1String("--ca") && i + 1 < args.size()) {
            caFile = args[++i];
        } else if (file.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            file = args[i];
        } else {
            usage = true;
        }
    }
    if (usage || file.isEmpty()) {
        Err(QStringLiteral("usage: kestrova verify-message ") + VerifyUsage);
        return BadUsage;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        Err(QStringLiteral("kestrova verify-message: cannot read ") + file + QStringLiteral(": ") + in.errorString());
        return NotVerified;
    }
    const QByteArray message = in.readAll();
    const OpenSslSmime smime{QString()};
    const Result<SignedContent> content =
        caFile.isEmpty() ? smime.verify(message) : smime.verifyWithCa(message, caFile);
    if (!content) {
        Err(QStringLiteral("kestrova verify-message: ") + file + QStringLiteral(": ") + content.error());
        return NotVerified;
    }
    Out(QStringLiteral("Signature verified") +
        (caFile.isEmpty() ? QStringLiteral(" (certificate chain not checked)") : QStringLiteral(" against ") + caFile));
    const Result<MessageImage> image = ImageFromSignedBody(content.value().body);
    if (!image) {
        Err(QStringLiteral("kestrova verify-message: ") + image.error());
        return NoImage;
    }
    Out(QStringLiteral("Image %1, %2 bytes").arg(image.value().fileName).arg(image.value().data.size()));
    if (!out.isEmpty()) {
        QSaveFile target(out);
        if (!target.open(QIODevice::WriteOnly) || target.write(image.value().data) != image.value().data.size() ||
            !target.commit()) {
            Err(QStringLiteral("kestrova verify-message: cannot write ") + out + QStringLiteral(": ") +
                target.errorString());
            return NotVerified;
        }
    }
    return Verified;
}

const CommandRegistration signRegistration{
    {QStringLiteral("sign-image"), SignUsage,
     QStringLiteral("Write the signed message of a stored image (its local copy, KEY = request number~document "
                    "code) to standard output, signed with the station's certificate as the backup pass signs it. "
                    "The event log and errors go to standard error; exits 1 when the station does not sign, the "
                    "local copy is missing or signing fails."),
     SignImage}};

const CommandRegistration verifyRegistration{
    {QStringLiteral("verify-message"), VerifyUsage,
     QStringLiteral("Check the signature of a signed image message (.eml) and name its image; --out writes the "
                    "image, --ca also checks the signer's certificate against trusted certificates (PEM). Exits 1 "
                    "when the signature fails, 3 when the message holds no image."),
     VerifyMessage}};

} // namespace
} // namespace kestrova::cli
