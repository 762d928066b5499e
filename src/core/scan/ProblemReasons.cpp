#include "core/scan/ProblemReasons.h"

#include "barcode/QVCodabar.h"

#include <QFile>
#include <QSaveFile>

namespace kestrova {

ProblemReasons ParseProblemReasons(const QStringList& lines) {
    ProblemReasons reasons;
    for (int i = 0; i < barcode::ReaderSlotCount; ++i) reasons.slotLines << lines.value(i);
    for (int i = barcode::ReaderSlotCount; i < lines.size(); ++i) {
        if (!lines[i].startsWith(FiledNamesRecord)) {
            reasons.problemText += lines[i];
            continue;
        }
        for (const QString& name : lines[i].mid(FiledNamesRecord.size()).split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
            if (!reasons.filed.contains(name)) reasons.filed << name;
        }
    }
    return reasons;
}

QStringList ProblemCandidates(const QStringList& slotLines) {
    QStringList lines = slotLines.mid(0, barcode::ReaderSlotCount);
    if (lines.size() == barcode::ReaderSlotCount) {
        // The Codabar line: its start and stop letters are not part of a name.
        for (const QChar letter : {u'A', u'B', u'C', u'D'}) lines[barcode::SlotCodabar - 1].remove(letter);
    }
    QString text = lines.join(QLatin1Char('\n'));
    text.replace(QLatin1Char(':'), QLatin1Char('\n'));
    text.remove(QLatin1Char('^'));
    QStringList candidates;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // A number read twice, or in two symbologies, is one candidate: "*all" must not file
        // the page twice under one request number.
        if (!candidates.contains(line)) candidates << line;
    }
    return candidates;
}

bool IsRequestNumber(const QString& text) {
    if (text.isEmpty()) return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') return false;
    }
    return true;
}

QStringList ReadReasonLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QStringList UnfiledCandidates(const QStringList& candidates, const QStringList& filed) {
    QStringList left;
    for (const QString& candidate : candidates) {
        const QString bare = candidate.startsWith(QLatin1Char('!')) ? candidate.mid(1) : candidate;
        if (!filed.contains(bare)) left << candidate;
    }
    return left;
}

QString ProblemLabel(const QString& problemText, const QStringList& filed) {
    if (filed.isEmpty()) return problemText;
    const QString record = FiledNamesRecord + filed.join(QStringLiteral(", ")) + QLatin1Char('.');
    return problemText.isEmpty() ? record : problemText + QLatin1Char(' ') + record;
}

QString WriteFiledRecord(const QString& path, const QStringList& names) {
    QStringList lines = ReadReasonLines(path);
    while (lines.size() < barcode::ReaderSlotCount) lines << QString();
    for (qsizetype i = lines.size() - 1; i >= barcode::ReaderSlotCount; --i) {
        if (lines[i].startsWith(FiledNamesRecord)) lines.removeAt(i);
    }
    QString record = FiledNamesRecord;
    for (const QString& name : names) record += name + QLatin1Char(':');
    lines << record;
    QSaveFile file(path);
    const QByteArray bytes = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

} // namespace kestrova
