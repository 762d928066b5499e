#include "core/scan/ScanControlBatch.h"

#include "core/scan/DecodeImages.h"
#include "core/scan/DecodeJournal.h"

#include <QDir>
#include <QFile>
#include <filesystem>
#include <system_error>

namespace kestrova {

ImageSetBatch::ImageSetBatch(QObject* parent) : QObject(parent) {}

ImageSetBatch::~ImageSetBatch() {
    stop();
    waitForWorker();
}

bool ImageSetBatch::start(const QString& imageSet, std::unique_ptr<BatchSource> source) {
    if (m_running) return false;
    waitForWorker();
    m_running = true;
    m_source = std::shared_ptr<BatchSource>(std::move(source));
    QFile::remove(workFileFor(imageSet));
    m_worker = std::thread([this, imageSet, src = m_source] { run(imageSet, src); });
    return true;
}

void ImageSetBatch::stop() {
    if (m_running && m_source) m_source->requestStop();
}

void ImageSetBatch::waitForWorker() {
    if (m_worker.joinable()) m_worker.join();
}

void ImageSetBatch::run(QString imageSet, std::shared_ptr<BatchSource> source) {
    const QString work = workFileFor(imageSet);
    BatchResult result;
    for (;;) {
        BatchStep step = source->next();
        if (step.kind == BatchStep::End) break;
        if (step.kind == BatchStep::Failure) {
            result.error = step.text;
            break;
        }
        if (step.kind == BatchStep::Notice) {
            QMetaObject::invokeMethod(
                this, [this, text = step.text] { emit noticed(text); }, Qt::QueuedConnection);
            continue;
        }
        std::unique_ptr<PageImage> page = std::move(step.page);
        if (page && page->bitsPerPixel() != 1) {
            Result<std::unique_ptr<PageImage>> bw = page->converted(1);
            if (!bw) {
                result.error = bw.error();
                break;
            }
            page = std::move(bw.value());
        }
        const Status saved = page ? page->saveTiff(work, TiffCompression::CcittG4, TiffSaveMode::Append)
                                  : Status::failure(QStringLiteral("The scanner gave an empty page"));
        if (!saved) {
            result.error = saved.error();
            break;
        }
        ++result.pages;
    }
    source->finish();
    QMetaObject::invokeMethod(
        this, [this, imageSet, result] { complete(imageSet, result); }, Qt::QueuedConnection);
}

void ImageSetBatch::complete(const QString& imageSet, BatchResult result) {
    waitForWorker();
    m_source.reset();
    const QString work = workFileFor(imageSet);
    if (result.pages > 0) {
        std::error_code ec;
        std::filesystem::rename(QFile::encodeName(work).toStdString(), QFile::encodeName(imageSet).toStdString(), ec);
        if (ec) {
            result.error = QStringLiteral("Cannot replace %1: %2")
                               .arg(QDir::toNativeSeparators(imageSet), QString::fromLocal8Bit(ec.message()));
            QFile::remove(work);
        } else {
            result.replaced = true;
            // A new batch starts a fresh decoding record (the old one would no longer match anyway).
            QFile::remove(DecodeJournal::pathFor(imageSet));
            QFile::remove(BatchSummaryFile(imageSet));
        }
    } else {
        QFile::remove(work);
    }
    m_running = false;
    emit finished(result);
}

} // namespace kestrova
