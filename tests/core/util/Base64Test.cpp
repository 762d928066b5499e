#include "core/util/Base64.h"

#include "QtPrint.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kestrova;

TEST(Base64, EncodesWithPaddingAndNoLineBreaks) {
    const struct {
        QByteArray bytes;
        const char* text;
    } cases[] = {
        {"abc", "YWJj"}, {"ab", "YWI="},       {"a", "YQ=="},
        {"", ""},        {"abcd", "YWJjZA=="}, {QByteArray("\xff\xfe\x00\x3e\x3f", 5), "//4APj8="},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeBase64(c.bytes), QString(c.text)) << c.text;
    EXPECT_EQ(EncodeBase64(QByteArray(300, 'x')).size(), 400);
    EXPECT_FALSE(EncodeBase64(QByteArray(300, 'x')).contains('\n'));
}

TEST(Base64, EncodesAStreamFromItsStartAndRewindsIt) {
    QTemporaryDir tmp;
    QFile file(tmp.path() + "/page.tif");
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write("abcd");
    ASSERT_EQ(file.pos(), 4);
    EXPECT_EQ(EncodeBase64(file), "YWJjZA==");
    EXPECT_EQ(file.pos(), 0);

    QBuffer closed;
    EXPECT_EQ(EncodeBase64(closed), "");
}

TEST(Base64, WrapLinesBreaksAfterEveryFullLine) {
    const QString text150(150, 'A');
    EXPECT_EQ(WrapLines(text150, 72), QString(72, 'A') + "\r\n" + QString(72, 'A') + "\r\n" + QString(6, 'A'));
    EXPECT_EQ(WrapLines(QString(144, 'A'), 72), QString(72, 'A') + "\r\n" + QString(72, 'A') + "\r\n");
    EXPECT_EQ(WrapLines(QString(72, 'A'), 72), QString(72, 'A') + "\r\n"); // 54 bytes of image
    EXPECT_EQ(WrapLines(QString("abc"), 72), "abc");
    EXPECT_EQ(WrapLines(QString(), 72), "");
    EXPECT_EQ(WrapLines(QString("abc"), 0), "abc");
    // Text held as bytes wraps the same.
    for (const int length : {0, 3, 71, 72, 73, 144, 150})
        for (const int width : {0, 72}) {
            const QString text(length, 'B');
            EXPECT_EQ(WrapLines(text.toLatin1(), width), WrapLines(text, width).toLatin1()) << length << " " << width;
        }
}

TEST(Base64, DecodesGroupsOfFour) {
    const struct {
        const char* text;
        QByteArray bytes;
    } cases[] = {
        {"YWJjZA==", "abcd"},
        {"YWJj", "abc"},
        {"YWI=", "ab"},
        {"YQ==", "a"},
        {"//4APj8=", QByteArray("\xff\xfe\x00\x3e\x3f", 5)},
        {"", ""},                                           // no group, no bytes
        {"YWI", "ab"},                                      // a short last group yields what its characters hold
        {"YWJjZ", "abc"},                                   // a lone last character holds no byte
        {"Y===", ""},                                       // "=" too early for a byte
        {"====", ""},                                       // ... or in the first place
        {"YW*j", "a`#"},                                    // characters outside the alphabet count as 0
        {"YWJj\r\nZA==", QByteArray("abc\x00\x06\x40", 6)}, // line breaks must be removed first
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeBase64(c.text), c.bytes) << c.text;
}

TEST(Base64, DecodesIntoAStreamFromItsStart) {
    QBuffer buffer;
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    buffer.write("old content that is longer");
    EXPECT_EQ(DecodeBase64("YWJjZA==", buffer), 4);
    EXPECT_EQ(buffer.pos(), 0);
    EXPECT_EQ(buffer.data(), "abcd");

    QTemporaryDir tmp;
    QFile file(tmp.path() + "/out.bin");
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write("0123456789");
    EXPECT_EQ(DecodeBase64("YQ==", file), 1);
    EXPECT_EQ(file.readAll(), "a");

    QBuffer readOnly;
    ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
    EXPECT_EQ(DecodeBase64("YQ==", readOnly), -1);
}

TEST(Base64, RoundTripsAnyBytesThroughWrappedText) {
    QByteArray bytes(5000, '\0');
    QRandomGenerator generator(42);
    for (char& b : bytes) b = static_cast<char>(generator.bounded(256));
    for (qsizetype size : {0, 1, 2, 3, 53, 54, 55, 5000}) {
        const QByteArray part = bytes.left(size);
        QString wrapped = WrapLines(EncodeBase64(part), 72);
        wrapped.remove('\r').remove('\n');
        EXPECT_EQ(DecodeBase64(wrapped), part) << size;
        EXPECT_EQ(QByteArray::fromBase64(EncodeBase64(part).toLatin1()), part) << size;
    }
}
