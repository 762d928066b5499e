#include "core/util/Base64.h"

#include <QBuffer>
#include <QFileDevice>
#include <algorithm>

namespace kestrova {
namespace {

int SixBits(QChar c) {
    const char16_t u = c.unicode();
    if (u >= 'A' && u <= 'Z') return u - 'A';
    if (u >= 'a' && u <= 'z') return u - 'a' + 26;
    if (u >= '0' && u <= '9') return u - '0' + 52;
    if (u == '+') return 62;
    if (u == '/') return 63;
    return 0; // "=" and anything outside the alphabet
}

} // namespace

QString EncodeBase64(QIODevice& stream) {
    if (!stream.isReadable()) return QString();
    if (!stream.isSequential()) stream.seek(0);
    const QByteArray bytes = stream.readAll();
    if (!stream.isSequential()) stream.seek(0);
    return EncodeBase64(bytes);
}

QString EncodeBase64(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toBase64());
}

QString WrapLines(const QString& text, int width) {
    if (width < 1) return text;
    QString out;
    out.reserve(text.size() + (text.size() / width + 1) * 2);
    const QStringView all(text);
    for (qsizetype at = 0; at < text.size(); at += width) {
        const QStringView line = all.mid(at, width);
        out += line;
        if (line.size() == width) out += QLatin1String("\r\n");
    }
    return out;
}

QByteArray WrapLines(const QByteArray& text, int width) {
    if (width < 1) return text;
    QByteArray out;
    out.reserve(text.size() + (text.size() / width + 1) * 2);
    for (qsizetype at = 0; at < text.size(); at += width) {
        const qsizetype length = std::min<qsizetype>(width, text.size() - at);
        out.append(text.constData() + at, length);
        if (length == width) out.append("\r\n", 2);
    }
    return out;
}

QByteArray DecodeBase64(const QString& text) {
    QByteArray out;
    out.reserve(text.size() / 4 * 3 + 3);
    for (qsizetype at = 0; at < text.size(); at += 4) {
        const QString group = text.mid(at, 4);
        quint32 bits = 0;
        for (int i = 0; i < 4; ++i) bits = (bits << 6) | static_cast<quint32>(i < group.size() ? SixBits(group[i]) : 0);
        qsizetype count = qMin<qsizetype>(3, group.size() - 1);
        const qsizetype pad = group.indexOf(QLatin1Char('='));
        if (pad >= 0) count = qMin<qsizetype>(count, qMax<qsizetype>(0, pad - 1));
        for (qsizetype i = 0; i < count; ++i) out.append(static_cast<char>((bits >> (16 - 8 * i)) & 0xFF));
    }
    return out;
}

qint64 DecodeBase64(const QString& text, QIODevice& stream) {
    if (!stream.isWritable()) return -1;
    const QByteArray bytes = DecodeBase64(text);
    if (auto* buffer = qobject_cast<QBuffer*>(&stream)) {
        buffer->buffer().clear();
    } else if (auto* file = qobject_cast<QFileDevice*>(&stream)) {
        file->resize(0);
    }
    if (!stream.isSequential()) stream.seek(0);
    if (stream.write(bytes) != bytes.size()) return -1;
    if (!stream.isSequential()) stream.seek(0);
    return stream.isSequential() ? bytes.size() : stream.size();
}

} // namespace kestrova
