// Batch decoding of one page: the working image, the reads with their retries, the upside-down
// decision and the outcome.
#include "core/config/SetupInfo.h"
#include "core/scan/BatchDecodePage.h"
#include "core/scan/BatchDecoder.h"
#include "core/scan/DecodeImages.h"
#include "core/station/Station.h"
#include "core/util/FaultPoint.h"

#include <QFileInfo>

namespace kestrova {

namespace {

// Degrees a page is turned for the sideways read: a quarter turn clockwise.
constexpr int SidewaysTurn = 90;

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void BatchDecoder::decodePage(int pageIndex) {
    FaultPoint("decode-page");
    m_currentPage = pageIndex;
    m_pageFiles.clear();
    m_pageFailed = false;
    m_pageLength = 0;
    finishPage(pageIndex, decidePage(pageIndex));
    FaultPoint("decode-page-finished");
}

void BatchDecoder::finishPage(int pageIndex, int lengthCm) {
    if (lengthCm >= 0) m_lengths.insert(pageIndex, lengthCm);
    // A page that failed before any of its files was in place is tried again by the next run; one
    // that wrote some of them is finished, so that none of them is ever written twice.
    bool anyWritten = false;
    for (const QString& file : m_pageFiles) anyWritten = anyWritten || QFileInfo::exists(file);
    if (m_pageFailed && !anyWritten)
        m_journal.again(pageIndex);
    else
        m_journal.done(pageIndex, std::max(lengthCm, 0));
}

void BatchDecoder::intend(const QStringList& files) {
    m_pageFiles = files;
    m_journal.begin(m_currentPage, m_pageLength, files);
    FaultPoint("decode-page-begun");
}

int BatchDecoder::decidePage(int pageIndex) {
    Page page;
    if (pageIndex == 0) {
        page.image = std::move(m_first);
    } else {
        Result<LoadedPage> loaded = m_codec.loadPage(m_imageSet, pageIndex, m_station.task().ImageSetDepth());
        if (!loaded || !loaded.value().image) {
            pageNotSaved(pageIndex, QStringLiteral("it could not be read"), loaded.error());
            return -1;
        }
        page.image = std::move(loaded.value().image);
    }
    if (page.image->bitsPerPixel() != 1) {
        Result<std::unique_ptr<PageImage>> working = page.image->converted(1);
        if (!working || !working.value()) {
            pageNotSaved(pageIndex, QStringLiteral("no black and white copy could be made"), working.error());
            return -1;
        }
        page.temp = std::move(working.value());
    }

    readPage(page);
    decideUpsideDown(page);

    barcode::QVCodabar& main = m_station.MainReader;
    const std::uint32_t flags = main.Flags;
    if (!((flags & PageMeasuringFlag) != 0 && (flags & StopAfterFirstFlag) == 0)) {
        main.FirstInkedRow = 1;
        main.ContentStartRow = 1;
        main.LeftMargin = 0;
        main.RightMargin = 0;
    }

    m_pageLength = ContentLengthCm(page.image->height(), page.TopCut, main.FirstInkedRow, page.image->yResolution());
    const int count = barcode::BarcodeCount(main);
    if (count == 1 || (count > 1 && m_station.setup().ImagePerBarcode)) {
        if (count > 1) page.ProblemText = QString::number(count) + QStringLiteral(" barcodes found");
        saveDecoded(page, count);
    } else {
        if (count > 1) page.ProblemText = QString::number(count) + QStringLiteral(" barcodes found");
        saveProblem(page, count);
    }
    return ContentLengthCm(page.image->height(), page.TopCut, main.FirstInkedRow, page.image->yResolution());
}

QString BatchDecoder::readWorking(Page& page, bool rotated, int depth) {
    barcode::QVCodabar& reader = rotated ? m_station.RotatedReader : m_station.MainReader;
    const bool viewed = static_cast<bool>(page.work()->toPageBitmap(m_bitmap));
    return Latin1(barcode::ReadBarcodes(reader, viewed ? &m_bitmap : nullptr, depth, viewed ? 1 : 0));
}

void BatchDecoder::readPage(Page& page) {
    barcode::QVCodabar& main = m_station.MainReader;
    const std::uint32_t flags = main.Flags;
    const bool retries = (flags & NoRetryFlag) == 0;
    const int depth =
        PageSearchDepth(flags, m_station.setup().SetupInfo, page.work()->height(), page.work()->yResolution());

    QString log = readWorking(page, false, depth);
    if (barcode::BarcodeCount(main) == 0 && depth != 100 && retries) log = readWorking(page, false, 100);

    if (barcode::BarcodeCount(main) == 0 && retries) {
        log += QStringLiteral(" as scanned. Rotate..");
        // The quarter turn brings the scan's left edge to the top, so that the left margin the
        // reader measured on the scan is the blank strip cut from the top of the turned page.
        // (Turned the other way, that cut took as many rows of print off the top of the page.)
        const Status turned = page.work()->turn(SidewaysTurn);
        if (!turned) {
            log += QStringLiteral(" ") + turned.error();
        } else {
            page.TopCut = main.LeftMargin;
            log += readWorking(page, true, 100);
        }
        barcode::QVCodabar& rotated = m_station.RotatedReader;
        if (turned && barcode::BarcodeCount(rotated) > 0) {
            log += QStringLiteral(" Image assumed to be sideways.");
            for (int slot = 1; slot <= barcode::ReaderSlotCount; ++slot)
                main.Results[std::size_t(slot)] = rotated.Results[std::size_t(slot)];
            main.LeftMargin = rotated.LeftMargin;
            main.RightMargin = rotated.RightMargin;
            main.FirstInkedRow = rotated.FirstInkedRow;
            main.ContentStartRow = rotated.ContentStartRow;
            // A deeper batch page is read through its black and white copy; it is turned as well,
            // so that a sideways page is stored upright at every colour depth.
            if (page.temp) {
                const Status upright = page.image->turn(SidewaysTurn);
                if (!upright) log += QStringLiteral(" ") + upright.error();
            }
        } else {
            if (turned && !page.temp) {
                const Status back = page.image->turn(-SidewaysTurn);
                if (!back) log += QStringLiteral(" ") + back.error();
            }
            log += QStringLiteral(" in image.");
            page.TopCut = 0;
        }
    }
    m_station.LogEvent(log);
}

void BatchDecoder::decideUpsideDown(Page& page) {
    barcode::QVCodabar& main = m_station.MainReader;
    for (int slot = 1; slot <= barcode::ReaderSlotCount; ++slot) {
        const std::string& list = main.Results[std::size_t(slot)];
        page.slotLines[std::size_t(slot - 1)] = Latin1(list);
        if (!list.empty()) page.UpsideDownAngle = barcode::BarcodeResultField(main, 1, slot, 6) == "Y" ? 180 : 0;
    }
    if (page.UpsideDownAngle == 180 && (main.Flags & AutomaticallyInvertFlag) == 0) {
        QString found = Latin1(barcode::BarcodeResultsText(main));
        found.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        page.ProblemText = found + QStringLiteral("\nImage Inverted.");
        page.slotLines = {};
        barcode::ClearBarcodeResults(main);
        page.UpsideDownAngle = 0;
    }
}

} // namespace kestrova
