#include "platform/folderfeed/FolderBatchSource.h"

#include <QDir>

namespace kestrova {

FolderBatchSource::FolderBatchSource(const ImageCodec& codec, QStringList files, int pageCount,
                                     std::shared_ptr<QList<TakenFile>> taken)
    : m_codec(codec), m_files(std::move(files)), m_pageCount(pageCount), m_taken(std::move(taken)) {}

namespace {

qint64 Megabytes(qint64 bytes) {
    return (bytes + (qint64{1} << 20) - 1) >> 20;
}

// Bytes a 1-bit page of width x height holds: rows of whole 32-bit words.
qint64 OneBitBytes(qint64 width, qint64 height) {
    return (width + 31) / 32 * 4 * height;
}

} // namespace

bool FolderBatchSource::fitsInMemory(const QString& path, int pages, QString& error) const {
    // The pages of a file wait in memory, at 1 bit, until the whole file is read: the pages read
    // so far and the loading of the next one keep to the codec's page limit together.
    qint64 waiting = 0;
    for (int p = 0; p < pages; ++p) {
        const Result<qint64> loading = m_codec.loadBytes(path, p, 1);
        const Result<ImageFileInfo> info = m_codec.fileInfo(path, p);
        if (!loading || !info) {
            error = loading ? info.error() : loading.error();
            return false;
        }
        // A single page too large is refused by the codec, with its own message.
        if (p > 0 && waiting + loading.value() > m_codec.pageLimit()) {
            error = QStringLiteral("Cannot read %1: its pages are too large to load together: page %2 with the %3 "
                                   "page(s) before it would take %4 MB of memory, more than the %5 MB allowed")
                        .arg(QDir::toNativeSeparators(path))
                        .arg(p + 1)
                        .arg(p)
                        .arg(Megabytes(waiting + loading.value()))
                        .arg(Megabytes(m_codec.pageLimit()));
            return false;
        }
        waiting += OneBitBytes(info.value().width, info.value().height);
    }
    return true;
}

bool FolderBatchSource::loadFile(const QString& path, QString& error) {
    const Result<int> count = m_codec.pageCount(path);
    if (!count) {
        error = count.error();
        return false;
    }
    if (count.value() <= 0) {
        error = QStringLiteral("%1 holds no page").arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (m_pages > 0 && m_pages + count.value() > m_pageCount) return true; // waits for the next batch
    if (!fitsInMemory(path, count.value(), error)) return false;
    std::deque<std::unique_ptr<PageImage>> pages;
    for (int p = 0; p < count.value(); ++p) {
        Result<LoadedPage> page = m_codec.loadPage(path, p, 1);
        if (!page) {
            error = page.error();
            return false;
        }
        pages.push_back(std::move(page.value().image));
    }
    for (auto& page : pages) m_ready.push_back(std::move(page));
    m_pages += count.value();
    m_taken->append({path, m_pages});
    return true;
}

BatchStep FolderBatchSource::next() {
    while (m_ready.empty()) {
        if (m_stop || m_files.isEmpty() || m_pages >= m_pageCount) return BatchStep::end();
        const QString path = m_files.takeFirst();
        const int before = m_pages;
        QString error;
        if (!loadFile(path, error)) {
            return BatchStep::notice(QStringLiteral("%1; the file is left in the feeder folder").arg(error));
        }
        if (m_pages == before) return BatchStep::end(); // the rest waits for the next batch
    }
    std::unique_ptr<PageImage> page = std::move(m_ready.front());
    m_ready.pop_front();
    return BatchStep::ofPage(std::move(page));
}

} // namespace kestrova
