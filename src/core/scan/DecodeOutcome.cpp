// Batch decoding: where a page goes once it has been read.
#include "core/config/SetupFile.h"
#include "core/config/SetupInfo.h"
#include "core/scan/BatchDecodeNames.h"
#include "core/scan/BatchDecoder.h"
#include "core/scan/SaveRegion.h"
#include "core/station/Station.h"
#include "core/util/DateTime.h"
#include "core/util/FaultPoint.h"
#include "core/util/FileUtil.h"
#include "core/util/SafePaths.h"

#include <QFile>
#include <QFileInfo>

namespace kestrova {

namespace {

// The barcodes of a page in order (slots 1 to 6, within a slot as recorded).
QStringList BarcodeTexts(const barcode::QVCodabar& reader) {
    const std::string all = barcode::BarcodeResultsText(reader);
    QString text = QString::fromLatin1(all.data(), static_cast<qsizetype>(all.size()));
    text.replace(QLatin1Char(':'), QLatin1Char('\n'));
    text.remove(QLatin1Char('\r'));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

QString BatchDecoder::freeSuffix(const QString& decodedDir, const QStringList& barcodes, const QString& part) const {
    // One suffix names a file for every barcode of the page: one that none of those names has yet,
    // so that a copy for another barcode never replaces an earlier page's file.
    QStringList names;
    for (const QString& barcode : barcodes) names << barcode + part + QStringLiteral(".tif");
    return UniqueNameSuffix(decodedDir, names, ToTDateTime(m_station.clock().now()), m_station.clock());
}

QString BatchDecoder::documentPart(const Page& page) const {
    const setupinformation& setup = m_station.setup().SetupInfo;
    const int dpi = page.image->yResolution();
    QString code;
    if (!setup.DocDefs.isEmpty() && dpi > 0) {
        const double rows = double(page.image->height()) - (page.TopCut + m_station.MainReader.FirstInkedRow);
        code = setup.DocDefs[NearestDocDefinition(setup, PageLengthOf(rows, dpi))].DocCode;
    } else if (!setup.DocDefs.isEmpty()) {
        code = setup.DocDefs.first().DocCode;
    }
    return code + setup.ScannerId;
}

void BatchDecoder::saveDecoded(Page& page, int count) {
    barcode::QVCodabar& main = m_station.MainReader;
    const QStringList barcodes =
        count == 1 ? QStringList{DecodedBarcodeText(QString::fromLatin1(barcode::BarcodeResultsText(main)))}
                   : BarcodeTexts(main);
    const QString part = documentPart(page);
    const QString first = barcodes.value(0);
    QString unsafe = UnsafeBarcodeNameReason(first, part);
    if (unsafe.isEmpty()) unsafe = UnsafeDocumentPartReason(part);
    if (!unsafe.isEmpty()) {
        page.ProblemText = page.ProblemText.isEmpty() ? unsafe : page.ProblemText + QLatin1Char('\n') + unsafe;
        saveProblem(page, count);
        return;
    }
    // The other barcodes of the page name copies; the same number twice names one file.
    QStringList names{first};
    QStringList refused;
    for (qsizetype i = 1; i < barcodes.size(); ++i) {
        const QString& other = barcodes[i];
        if (names.contains(other) || refused.contains(other)) continue;
        const QString reason = UnsafeBarcodeNameReason(other, part);
        if (reason.isEmpty())
            names << other;
        else
            refused << other << reason;
    }
    const QString decodedDir = m_station.setup().SetupInfo.Directories[SlotDecoded];
    const QString suffix = freeSuffix(decodedDir, names, part);
    if (suffix.isEmpty()) {
        pageNotSaved(m_currentPage, DecodedFileName(decodedDir, names.first(), part, QString()),
                     QStringLiteral("no free name is left in the decoded directory"));
        return;
    }
    QStringList files;
    for (const QString& name : names) files << DecodedFileName(decodedDir, name, part, suffix);
    const QString& fileName = files.first();
    for (const QString& file : files) {
        if (StaysInside(decodedDir, file)) continue;
        const QString outside = QStringLiteral("The decoded name would leave the decoded directory: ") + file;
        page.ProblemText = page.ProblemText.isEmpty() ? outside : page.ProblemText + QLatin1Char('\n') + outside;
        saveProblem(page, count);
        return;
    }
    for (qsizetype i = 0; i + 1 < refused.size(); i += 2) {
        m_station.LogEvent(QStringLiteral("No copy of ") + fileName + QStringLiteral(" for \"") + refused[i] +
                           QStringLiteral("\". ") + refused[i + 1]);
    }

    intend(files);
    const int storageDpi = m_station.setup().StorageResolution > 0 ? m_station.setup().StorageResolution : 0;
    const QString error =
        SaveDecodedPage(page.image.get(), fileName, page.TopCut, page.UpsideDownAngle, main, storageDpi);
    if (!error.isEmpty()) {
        pageNotSaved(m_currentPage, fileName, error);
        return;
    }
    FaultPoint("decode-file-written");
    for (qsizetype i = 1; i < files.size(); ++i) {
        if (copyForBarcode(fileName, files[i])) FaultPoint("decode-file-written");
    }
}

bool BatchDecoder::copyForBarcode(const QString& source, const QString& target) {
    // Copied beside the target first, so that an existing file is replaced only by a whole copy.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    QFile in(source);
    QFile out(partial);
    QString error;
    if (!in.open(QIODevice::ReadOnly)) {
        error = in.errorString();
    } else if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = out.errorString();
    } else {
        const QByteArray bytes = in.readAll();
        if (in.error() != QFileDevice::NoError)
            error = in.errorString();
        else if (out.write(bytes) != bytes.size() || !out.flush())
            error = out.errorString();
        out.close();
    }
    if (error.isEmpty()) {
        FaultPoint("decode-copy-partial");
        QFile::remove(target);
        if (!out.rename(target)) error = out.errorString();
    }
    if (!error.isEmpty()) {
        QFile::remove(partial);
        pageNotSaved(m_currentPage, target, error);
        return false;
    }
    return true;
}

void BatchDecoder::saveProblem(Page& page, int count) {
    barcode::QVCodabar& main = m_station.MainReader;
    if (main.FirstInkedRow < 1) {
        page.ProblemText = QStringLiteral("Blank Document");
        main.FirstInkedRow = 1;
        main.RightMargin = 0;
        main.LeftMargin = 0;
        m_station.LogEvent(QStringLiteral("Page %1: Blank Document").arg(m_currentPage + 1));
        return;
    }
    // A reason given earlier (an upside-down page, a barcode that cannot name a file) is kept.
    if (page.ProblemText.isEmpty())
        page.ProblemText = count == 0 ? QStringLiteral("No acceptable barcodes found.")
                                      : QString::number(count) + QStringLiteral(" barcodes found");
    const QString problemsDir = m_station.setup().SetupInfo.Directories[SlotProblems];
    const QString stamp = FreeProblemStamp(problemsDir, m_station.clock().now());
    const QString textFile = problemsDir + stamp + QStringLiteral(".scn");
    const QString imageFile = problemsDir + stamp + QStringLiteral(".tif");
    if (!StaysInside(problemsDir, textFile) || !StaysInside(problemsDir, imageFile)) {
        pageNotSaved(m_currentPage, imageFile, QStringLiteral("the name would leave the problems directory"));
        return;
    }
    // The reason file first: a problem image is never without the reason beside it.
    intend({textFile, imageFile});
    const QString written = WriteReasonFile(textFile, page.slotLines, page.ProblemText);
    if (!written.isEmpty()) {
        // Without its reason file a problem page cannot be resolved: the batch ends here.
        pageNotSaved(m_currentPage, textFile, written);
        m_stopped = true;
        return;
    }
    FaultPoint("decode-file-written");
    QString error;
    const int saved =
        SaveRegionAsTiff(page.image.get(), imageFile, page.UpsideDownAngle, page.image->width(), page.image->height(),
                         page.TopCut, main.FirstInkedRow, main.LeftMargin, main.RightMargin, 0, &error);
    if (saved != RegionSaved) {
        QFile::remove(textFile);
        pageNotSaved(m_currentPage, imageFile, error);
        return;
    }
    FaultPoint("decode-file-written");
}

void BatchDecoder::pageNotSaved(int pageIndex, const QString& what, const QString& error) {
    ++m_unsaved;
    m_pageFailed = true;
    m_station.LogEvent(
        QStringLiteral("Page %1 of the batch was not saved (%2): %3").arg(pageIndex + 1).arg(what, error));
    keepImageSet();
}

} // namespace kestrova
