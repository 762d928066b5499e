#include "core/scan/DecodeImages.h"

#include "core/config/SetupInfo.h"
#include "core/scan/BatchDecodeNames.h"
#include "core/scan/BatchDecodePage.h"
#include "core/scan/BatchDecoder.h"
#include "core/scan/ScanControl.h"
#include "core/station/ScreenCursors.h"
#include "core/station/Station.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <filesystem>

namespace kestrova {

namespace {

const QString ScanJobFailed = QStringLiteral("The Scan job failed.  You must re-scan the last batch.");

QString Trunc(double value) {
    return QString::number(static_cast<qint64>(std::trunc(value)));
}

} // namespace

QString KeptImageSetDir(const QString& scanDir) {
    return scanDir + QStringLiteral("kept/");
}

QString BatchSummaryFile(const QString& imageSetFile) {
    return imageSetFile + QStringLiteral(".summary");
}

void LoadLastBatchSummary(Station& station, const QString& imageSetFile) {
    const QFileInfo set(imageSetFile), summary(BatchSummaryFile(imageSetFile));
    if (!set.exists() || !summary.exists() || summary.lastModified() < set.lastModified()) return;
    QFile file(summary.filePath());
    if (!file.open(QIODevice::ReadOnly)) return;
    station.ui.ScannerDocLabel = QString::fromUtf8(file.readAll());
    station.notify();
}

TImageInfo DecodeImages(Station& station, const ImageCodec& codec, const QString& imageSetFile,
                        const DecodeImagesView& view) {
    BatchDecoder decoder(station, codec, imageSetFile, view);
    decoder.run();
    return decoder.imageSetInfo();
}

TImageInfo DecodeImageDocInfo(const ImageFileInfo& reported, const QString& fileName, bool byFile) {
    TImageInfo info;
    info.Width = reported.width;
    info.Height = reported.height;
    info.BitsPerPixel = static_cast<qint16>(reported.bitsPerPixel);
    info.Size = reported.sizeInBytes;
    info.PageCount = reported.pageCount;
    info.PageNumber = reported.pageNumber;
    info.CompressionName = reported.compressionName;
    info.ByFile = byFile;
    info.FileName = fileName;
    info.CompressionCode = CompressionCodeFor(reported.compressionName);
    return info;
}

BatchDecoder::BatchDecoder(Station& station, const ImageCodec& codec, QString imageSetFile,
                           const DecodeImagesView& view)
    : m_station(station), m_codec(codec), m_imageSet(std::move(imageSetFile)), m_view(view) {}

void BatchDecoder::run() {
    m_station.ui.ScannerDocLabel = QStringLiteral("Sorting..");
    m_station.notify();
    if (m_view.Repaint) m_view.Repaint();
    if (!loadBatch()) return;
    if (m_view.ShowImageSet) m_view.ShowImageSet();
    if (scanSizeTooSmall()) return;
    openJournal();
    m_station.ui.DecodePages = m_pageCount;
    for (int p = 0; p < m_pageCount && !m_stopped; ++p) {
        // A page an earlier run over this image-set file has finished is not written again.
        if (m_journal.isFinished(p)) continue;
        m_station.SetScreenCursor(p % 2 == 0 ? crBCodeA : crBCodeB);
        m_station.ui.DecodePage = p + 1;
        m_station.notify();
        // The window stays live while a long batch is decoded: progress, event log, repaints.
        m_station.processMessages();
        decodePage(p);
    }
    m_station.ui.DecodePage = m_station.ui.DecodePages = 0;
    finish();
}

void BatchDecoder::openJournal() {
    const setupinformation& setup = m_station.setup().SetupInfo;
    const QString error = m_journal.open(m_imageSet, {setup.Directories[SlotDecoded], setup.Directories[SlotProblems]});
    if (!error.isEmpty()) {
        m_station.LogEvent(QStringLiteral("The progress of the batch cannot be recorded in ") +
                           DecodeJournal::pathFor(m_imageSet) + QStringLiteral(": ") + error);
    }
    const DecodeJournal::Recovery& recovery = m_journal.recovery();
    for (const QString& file : recovery.removed)
        m_station.LogEvent(QStringLiteral("Removed ") + file + QStringLiteral(" of a page that was not finished."));
    for (const QString& file : recovery.unremoved)
        m_station.LogEvent(QStringLiteral("Could not remove ") + file +
                           QStringLiteral(" of a page that was not finished."));
    for (const QString& file : recovery.refused)
        m_station.LogEvent(QStringLiteral("Not removed, outside the decoded and problems directories: ") + file);
    const QMap<int, int>& finished = m_journal.finished();
    for (auto it = finished.begin(); it != finished.end(); ++it) m_lengths.insert(it.key(), it.value());
    if (finished.isEmpty()) return;
    int next = 0;
    while (next < m_pageCount && m_journal.isFinished(next)) ++next;
    if (next >= m_pageCount)
        m_station.LogEvent(QStringLiteral("The batch has already been decoded."));
    else
        m_station.LogEvent(QStringLiteral("Continuing the batch at page %1.").arg(next + 1));
}

bool BatchDecoder::loadBatch() {
    const Result<ImageFileInfo> info = m_codec.fileInfo(m_imageSet);
    bool loaded = false;
    if (info && info.value().formatName == QLatin1String("TIFF") && info.value().pageCount > 0) {
        m_imageSetInfo = DecodeImageDocInfo(info.value(), m_imageSet, true);
        m_station.task().setImageSetDepth(
            std::max(1, std::min(info.value().bitsPerPixel, int(m_station.setup().ColourDepth))));
        Result<LoadedPage> first = m_codec.loadPage(m_imageSet, 0, m_station.task().ImageSetDepth());
        if (first && first.value().image) {
            m_first = std::move(first.value().image);
            m_pageCount = info.value().pageCount;
            loaded = true;
        } else {
            m_station.LogEvent(first.error());
        }
    } else if (!info) {
        m_station.LogEvent(info.error());
    }
    if (!loaded) {
        m_station.prompter().message(QStringLiteral("KestrovaNT"), ScanJobFailed, MessageIcon::Error);
        return false;
    }
    m_yDpi = m_first->yResolution();
    m_resolutionText = QString::number(m_yDpi);
    m_scanHeightMm = m_yDpi > 0 ? double(m_first->height()) / m_yDpi * 25.4 : 0.0;
    return true;
}

bool BatchDecoder::scanSizeTooSmall() {
    if ((m_station.MainReader.Flags & PageMeasuringFlag) == 0 || m_yDpi <= 0) return false;
    const int minimum = m_station.setup().SetupInfo.MinPageHeight;
    if (!(minimum > m_scanHeightMm)) return false;
    if (m_first->width() != 0 && m_view.FitBatchImageWidth) m_view.FitBatchImageWidth(m_first->width());
    m_station.prompter().message(
        QStringLiteral("SCANNER SIZE PROBLEM"),
        QStringLiteral("WARNING!!!! SCAN SIZE IS SMALLER THAN MINIMUM.\nScan height on this scan was ") +
            Trunc(m_scanHeightMm / 10) +
            QStringLiteral("cm.\nPages longer than this might have been truncated.Please change the scan size "
                           "back to ") +
            Trunc(minimum / 10.0) + QStringLiteral("cm and then re-scan these documents"),
        MessageIcon::Error);
    m_station.ui.ScannerDocLabel = QStringLiteral("Reset Scanner height to ") + Trunc(minimum / 10.0) +
                                   QStringLiteral("cm before scanning again.");
    m_station.notify();
    return true;
}

void BatchDecoder::keepImageSet() {
    if (!m_keptAs.isEmpty()) return;
    const QString dir = KeptImageSetDir(QFileInfo(m_imageSet).path() + QLatin1Char('/'));
    QString target;
    if (QDir().mkpath(dir)) {
        const QString stamp = FreeProblemStamp(dir, m_station.clock().now());
        target = dir + stamp + QStringLiteral(".tif");
        // Copied under a name of its own and renamed once whole, so that a kill never leaves a
        // half copy that looks like a kept batch.
        const QString part = target + QStringLiteral(".part");
        std::error_code ec;
        std::filesystem::copy_file(m_imageSet.toStdString(), part.toStdString(),
                                   std::filesystem::copy_options::overwrite_existing, ec);
        if (ec || !QFile::rename(part, target)) {
            QFile::remove(part);
            target.clear();
        }
    }
    if (target.isEmpty()) {
        m_keptAs = QStringLiteral("-");
        m_station.LogEvent(QStringLiteral("The batch could not be kept in ") + dir);
        return;
    }
    m_keptAs = target;
    m_station.LogEvent(QStringLiteral("The batch has been kept as ") + target);
}

void BatchDecoder::finish() {
    m_station.SetScreenCursor(crDefault);
    m_station.ui.ScannerDocLabel = BatchSummaryText(m_scanHeightMm, m_resolutionText, m_pageCount,
                                                    QVector<int>(m_lengths.begin(), m_lengths.end()));
    QFile summary(BatchSummaryFile(m_imageSet));
    if (summary.open(QIODevice::WriteOnly | QIODevice::Truncate)) summary.write(m_station.ui.ScannerDocLabel.toUtf8());
    if (!m_journal.error().isEmpty()) {
        m_station.LogEvent(QStringLiteral("The progress of the batch could not be recorded in ") +
                           DecodeJournal::pathFor(m_imageSet) + QStringLiteral(": ") + m_journal.error());
    }
    m_station.notify();
    if (m_unsaved > 0) {
        QString text =
            QStringLiteral("%1 page(s) of the last batch could not be saved (see the event log).").arg(m_unsaved);
        if (m_keptAs != QLatin1String("-"))
            text += QStringLiteral("\nThe whole batch has been kept as ") + m_keptAs + QLatin1Char('.');
        m_station.prompter().message(QStringLiteral("KestrovaNT"), text, MessageIcon::Warning);
    }
    m_station.RefreshStatus();
}

} // namespace kestrova
