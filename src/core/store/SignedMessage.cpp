#include "core/store/SignedMessage.h"

#include "core/store/ImageExtensions.h"
#include "core/util/Base64.h"
#include "core/util/StringUtil.h"

#include <algorithm>

namespace kestrova {

namespace {

const QString Crlf = QStringLiteral("\r\n");
const QString Rule = QStringLiteral("=====================================");

// A label of the description padded with blanks to 22 characters, then the colon.
QString Label(const QString& label) {
    return label.leftJustified(22, QLatin1Char(' ')) + QLatin1Char(':');
}

QString Quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString MessageDateText(const QDateTime& time, const QLocale& locale) {
    return locale.toString(time, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss"));
}

QString MessageBoundary(const QString& scanText) {
    return QStringLiteral("----=_NextPart_") + QString(scanText).replace(QLatin1Char(' '), QLatin1Char('_'));
}

QByteArray ImageMessageHeaders(const ImageMessage& m) {
    const QString lines[] = {
        QStringLiteral("From: ") + m.address,
        QStringLiteral("To: ") + m.address,
        QStringLiteral("Subject: ") + m.key + QStringLiteral(".tif"),
        QStringLiteral("Date: ") + m.scanText,
        QStringLiteral("Content-Type: multipart/mixed; ") + QStringLiteral(" boundary=") +
            Quoted(MessageBoundary(m.scanText)),
        QStringLiteral("MIME-Version: 1.0"),
    };
    QString text;
    for (const QString& line : lines) text += line + Crlf;
    return text.toLatin1();
}

QByteArray ImageMessageBody(const ImageMessage& m) {
    const QString boundary = MessageBoundary(m.scanText);
    const QString subject = RemoveChars(m.cert.CertSubject, QStringLiteral("\r\n"));
    const QString before[] = {
        QStringLiteral("This is a multi-part message in MIME format."),
        QString(),
        QStringLiteral("--") + boundary,
        QStringLiteral("Content-Type: text/plain; charset=") + Quoted(QStringLiteral("iso-8859-1")),
        QStringLiteral("Content-Transfer-Encoding: 7bit"),
        QString(),
        QStringLiteral("Kestrova Image System - Signed Image."),
        QStringLiteral("Sequential System Reference:    ") + m.seqText,
        Rule,
        Label(QStringLiteral("Scan Time")) + m.scanText,
        Label(QStringLiteral("Episode Reference")) + TextBefore(m.key, QStringLiteral("~")),
        Label(QStringLiteral("Image Reference")) + TextAfter(m.key, QStringLiteral("~")) + m.ext,
        Label(QStringLiteral("Archive Name")) + m.zipFileName,
        Label(QStringLiteral("Archive Write Time")) + m.writeText,
        QString(),
        QStringLiteral("Certificate Information."),
        Rule,
        Label(QStringLiteral("Serial Number")) + m.cert.CertSerialNumber,
        Label(QStringLiteral("Certificate Issuer")) + m.cert.CertIssuer,
        Label(QStringLiteral("Certificate Subject")) + subject,
        QString(),
        QStringLiteral("--") + boundary,
        QStringLiteral("Content-Type: application/octet-stream; name=") + Quoted(m.key + QStringLiteral(".tif")),
        QStringLiteral("Content-Transfer-Encoding: base64"),
        QStringLiteral("Content-Disposition: attachment; filename=") + Quoted(m.key + QStringLiteral(".tif")),
        QString(),
    };
    // After the image's text a line end, and for a wrapped text of whole lines (which already
    // ends with CR LF) thereby one more empty line; then an empty line and the closing boundary.
    const QString after[] = {
        QString(),
        QStringLiteral("--") + boundary + QStringLiteral("--"),
    };
    // Built as bytes: the image's text is most of the body and is copied once.
    qsizetype size = m.wrappedBase64.size() + 2;
    for (const QString& line : before) size += line.size() + 2;
    for (const QString& line : after) size += line.size() + 2;
    QByteArray text;
    text.reserve(size);
    const auto add = [&text](const QString& line) {
        text += line.toLatin1();
        text += "\r\n";
    };
    for (const QString& line : before) add(line);
    text += m.wrappedBase64;
    text += "\r\n";
    for (const QString& line : after) add(line);
    return text;
}

QByteArray NormaliseLineEnds(const QByteArray& text) {
    // Text whose every line already ends with CR LF is given back as it is.
    bool bare = text.isEmpty() || !text.endsWith('\n');
    for (qsizetype at = text.indexOf('\n'); !bare && at >= 0; at = text.indexOf('\n', at + 1))
        bare = at == 0 || text.at(at - 1) != '\r';
    if (!bare) return text;
    QByteArray out;
    out.reserve(text.size() + text.size() / 64 + 2);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        const bool last = end < 0;
        if (last) end = text.size();
        qsizetype lineEnd = end;
        if (lineEnd > start && text.at(lineEnd - 1) == '\r') --lineEnd;
        out.append(text.constData() + start, lineEnd - start);
        out.append("\r\n");
        start = end + 1;
    }
    return out;
}

Result<MessageImage> ImageFromSignedBody(const QByteArray& body) {
    using R = Result<MessageImage>;
    const QByteArray marker = QByteArrayLiteral("Content-Type: application/octet-stream; name=\"");
    const qsizetype at = body.indexOf(marker);
    if (at < 0) return R::failure(QStringLiteral("the message has no image attachment"), NotAnImageAttachment);
    const QByteArray part = body.mid(at);
    const qsizetype q1 = part.indexOf('"');
    const qsizetype q2 = part.indexOf('"', q1 + 1);
    const QString name = QString::fromLatin1(part.mid(q1 + 1, q2 < 0 ? -1 : q2 - q1 - 1));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot < 0 ? QString() : name.mid(dot).toLower();
    if (q2 < 0 || std::find(ImageExtensions.begin(), ImageExtensions.end(), ext) == ImageExtensions.end())
        return R::failure(QStringLiteral("the attachment \"") + name + QStringLiteral("\" is not an image"),
                          NotAnImageAttachment);
    const qsizetype empty = part.indexOf("\r\n\r\n");
    if (empty < 0) return R::failure(QStringLiteral("the attachment has no content"), AttachmentUndecodable);
    const qsizetype from = empty + 4;
    const qsizetype next = part.indexOf("\r\n\r\n", from);
    QByteArray encoded = part.mid(from, next < 0 ? -1 : next - from);
    encoded.replace("\r", "").replace("\n", "").replace(" ", "");
    if (encoded.isEmpty()) return R::failure(QStringLiteral("the attachment is empty"), AttachmentUndecodable);
    return R::success({name, DecodeBase64(QString::fromLatin1(encoded))});
}

Result<MessageImage> ReadSignedImage(const Smime& smime, const QByteArray& message) {
    const Result<SignedContent> verified = smime.verify(message);
    if (!verified) return Result<MessageImage>::failure(verified.error(), SignatureFailed);
    return ImageFromSignedBody(verified.value().body);
}

} // namespace kestrova
