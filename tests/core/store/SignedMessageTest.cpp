#include "core/store/SignedMessage.h"
#include "core/util/Base64.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

const QLocale English(QLocale::English, QLocale::UnitedKingdom);

ImageMessage Sample(const QByteArray& image, const QString& ext) {
    ImageMessage m;
    m.key = QStringLiteral("12345~REQS1A0001");
    m.ext = ext;
    m.address = QStringLiteral("scan1@lab.invalid");
    m.scanText = MessageDateText(QDateTime(QDate(2009, 11, 17), QTime(14, 30, 15)), English);
    m.writeText = MessageDateText(QDateTime(QDate(2009, 11, 18), QTime(9, 5, 0)), English);
    m.seqText = QStringLiteral("4711");
    m.zipFileName = QStringLiteral("12~09-11-17 143015 123.zip");
    m.cert = {QStringLiteral("1A2B3C4D"), QStringLiteral("CN=Lab Test CA"), QStringLiteral("CN=Station S1,\r\nO=Lab\n"),
              QStringLiteral("30 November 2009 12:00:00")};
    m.wrappedBase64 = WrapLines(EncodeBase64(image), 72).toLatin1();
    return m;
}

TEST(SignedMessage, NovemberScanTimeGivesDateAndBoundary) {
    const QString s = MessageDateText(QDateTime(QDate(2009, 11, 17), QTime(14, 30, 15)), English);
    EXPECT_EQ(s, "Tue, 17 Nov 2009 14:30:15");
    EXPECT_EQ(MessageBoundary(s), "----=_NextPart_Tue,_17_Nov_2009_14:30:15");
    EXPECT_EQ(ImageMessageHeaders(Sample("x", ".tif")),
              "From: scan1@lab.invalid\r\nTo: scan1@lab.invalid\r\nSubject: 12345~REQS1A0001.tif\r\n"
              "Date: Tue, 17 Nov 2009 14:30:15\r\n"
              "Content-Type: multipart/mixed;  boundary=\"----=_NextPart_Tue,_17_Nov_2009_14:30:15\"\r\n"
              "MIME-Version: 1.0\r\n");
}

// A 54-byte bitmap: 72 base64 characters, a whole line, so one more empty line than usual; the
// attachment is named ".tif" while the description keeps ".bmp"; the subject comes on one line.
TEST(SignedMessage, BodyOfA54ByteBitmapLineByLine) {
    const QByteArray image = QByteArray("BM") + QByteArray(52, '\x01');
    const QString b64 = EncodeBase64(image);
    ASSERT_EQ(b64.size(), 72);
    const QByteArray expected = "This is a multi-part message in MIME format.\r\n"
                                "\r\n"
                                "------=_NextPart_Tue,_17_Nov_2009_14:30:15\r\n"
                                "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n"
                                "Content-Transfer-Encoding: 7bit\r\n"
                                "\r\n"
                                "Kestrova Image System - Signed Image.\r\n"
                                "Sequential System Reference:    4711\r\n"
                                "=====================================\r\n"
                                "Scan Time             :Tue, 17 Nov 2009 14:30:15\r\n"
                                "Episode Reference     :12345\r\n"
                                "Image Reference       :REQS1A0001.bmp\r\n"
                                "Archive Name          :12~09-11-17 143015 123.zip\r\n"
                                "Archive Write Time    :Wed, 18 Nov 2009 09:05:00\r\n"
                                "\r\n"
                                "Certificate Information.\r\n"
                                "=====================================\r\n"
                                "Serial Number         :1A2B3C4D\r\n"
                                "Certificate Issuer    :CN=Lab Test CA\r\n"
                                "Certificate Subject   :CN=Station S1,O=Lab\r\n"
                                "\r\n"
                                "------=_NextPart_Tue,_17_Nov_2009_14:30:15\r\n"
                                "Content-Type: application/octet-stream; name=\"12345~REQS1A0001.tif\"\r\n"
                                "Content-Transfer-Encoding: base64\r\n"
                                "Content-Disposition: attachment; filename=\"12345~REQS1A0001.tif\"\r\n"
                                "\r\n" +
                                b64.toLatin1() +
                                "\r\n"
                                "\r\n"
                                "\r\n"
                                "------=_NextPart_Tue,_17_Nov_2009_14:30:15--\r\n";
    EXPECT_EQ(ImageMessageBody(Sample(image, ".bmp")), expected);

    // Read back: the image and its attachment name.
    const auto back = ImageFromSignedBody(expected);
    ASSERT_TRUE(back);
    EXPECT_EQ(back.value().fileName, "12345~REQS1A0001.tif");
    EXPECT_EQ(back.value().data, image);
}

TEST(SignedMessage, ImagesOfEveryLengthComeBack) {
    for (int size : {1, 2, 3, 53, 54, 55, 107, 108, 5000}) {
        QByteArray image(size, '\0');
        for (int i = 0; i < size; ++i) image[i] = static_cast<char>(i * 37 + 11);
        const auto back = ImageFromSignedBody(ImageMessageBody(Sample(image, ".tif")));
        ASSERT_TRUE(back) << size;
        EXPECT_EQ(back.value().data, image) << size;
    }
}

TEST(SignedMessage, AttachmentsThatAreNoImageAreRefused) {
    QByteArray body = ImageMessageBody(Sample("abc", ".tif"));
    EXPECT_EQ(ImageFromSignedBody(QByteArray(body).replace(".tif\"", ".txt\"")).code(), NotAnImageAttachment);
    EXPECT_EQ(ImageFromSignedBody("no attachment").code(), NotAnImageAttachment);
    EXPECT_EQ(ImageFromSignedBody("Content-Type: application/octet-stream; name=\"a.TIF\"\r\n").code(),
              AttachmentUndecodable);
}

TEST(SignedMessage, LinesAreEndedByCrLf) {
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"", ""},       {"a", "a\r\n"}, {"a\n", "a\r\n"}, {"a\r\nb", "a\r\nb\r\n"}, {"a\nb\r\n\r\n", "a\r\nb\r\n\r\n"},
        {"\n", "\r\n"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(NormaliseLineEnds(in), out) << in.toStdString();
}

} // namespace
} // namespace kestrova
