#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

// Standard base64 (A-Z, a-z, 0-9, "+", "/", padding "=") for image attachments of signed messages.
namespace kestrova {

// The base64 text of the whole stream, read from its start, without line breaks; the stream is
// rewound afterwards. An empty stream (or one not open for reading) gives the empty text.
QString EncodeBase64(QIODevice& stream);
QString EncodeBase64(const QByteArray& bytes);

// CR LF after every width characters; a shorter last line has none. Empty text stays empty;
// a width below 1 leaves the text as it is.
QString WrapLines(const QString& text, int width);
// The same for text held as bytes (base64 text is ASCII).
QByteArray WrapLines(const QByteArray& text, int width);

// Decodes text (line breaks and blanks must be removed first) in groups of four characters.
// "=" and characters outside the alphabet count as 0 bits; a group yields 3 bytes, fewer when it
// holds "=" (first "=" at position 3: 1 byte, at position 4: 2 bytes) or is a shorter final group
// (n characters: n - 1 bytes). The empty text gives no bytes.
QByteArray DecodeBase64(const QString& text);
// Writes the decoded bytes into the stream from its start (a QBuffer or file is cut to them),
// rewinds it and returns its size; -1 when the stream is not open for writing.
qint64 DecodeBase64(const QString& text, QIODevice& stream);

} // namespace kestrova
