#include "core/scan/BatchDecodeNames.h"

#include <QFileInfo>
#include <QSaveFile>

namespace kestrova {

namespace {

QString WithoutLineBreaks(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

} // namespace

QString DecodedBarcodeText(const QString& resultsText) {
    QString text = WithoutLineBreaks(resultsText);
    text.remove(QLatin1Char(':'));
    return text;
}

QString UnsafeBarcodeNameReason(const QString& barcodeText, const QString& documentPart) {
    const QString prefix = QStringLiteral("Barcode not usable as a file name: ");
    QString reason = UnsafeNameReason(barcodeText);
    // "~" ends the request number: a barcode holding one would be filed under a part of itself.
    if (reason.isEmpty() && barcodeText.contains(QLatin1Char('~'))) reason = QStringLiteral("it holds \"~\".");
    if (!reason.isEmpty()) return prefix + reason;
    const QString name = barcodeText + documentPart + QStringLiteral("FFFFF.tif");
    if (name.toUtf8().size() > MaxDecodedNameBytes) return prefix + QStringLiteral("it is too long.");
    return {};
}

QString UnsafeDocumentPartReason(const QString& documentPart) {
    // The part follows the request number, so only what it holds matters, not how it starts.
    const QString reason = UnsafeNameReason(QStringLiteral("0") + documentPart);
    if (reason.isEmpty()) return {};
    return QStringLiteral("Document code or scanner ID not usable in a file name (\"") + documentPart +
           QStringLiteral("\"): ") + reason;
}

QString DecodedFileName(const QString& decodedDir, const QString& barcodeText, const QString& documentPart,
                        const QString& suffix) {
    return decodedDir + barcodeText + documentPart + suffix + QStringLiteral(".tif");
}

QString ProblemTimeStamp(const QDateTime& at) {
    return at.toString(QStringLiteral("yyyyMMddhhmmsszzz"));
}

QString FreeProblemStamp(const QString& problemsDir, QDateTime at) {
    for (;;) {
        const QString stamp = ProblemTimeStamp(at);
        if (!QFileInfo::exists(problemsDir + stamp + QStringLiteral(".tif")) &&
            !QFileInfo::exists(problemsDir + stamp + QStringLiteral(".scn")))
            return stamp;
        at = at.addMSecs(1);
    }
}

QByteArray ReasonFileText(const std::array<QString, barcode::ReaderSlotCount>& slotLines, const QString& problemText) {
    QString text;
    for (const QString& line : slotLines) text += WithoutLineBreaks(line) + QLatin1Char('\n');
    text += problemText + QLatin1Char('\n');
    return text.toUtf8();
}

QString WriteReasonFile(const QString& path, const std::array<QString, barcode::ReaderSlotCount>& slotLines,
                        const QString& problemText) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    const QByteArray bytes = ReasonFileText(slotLines, problemText);
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) return file.errorString();
    return {};
}

} // namespace kestrova
