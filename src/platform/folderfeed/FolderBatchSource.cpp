#include "platform/folderfeed/FolderBatchSource.h"

#include <QDir>

namespace kestrova {

FolderBatchSource::FolderBatchSource(const ImageCodec& codec, QStringList files, int pageCount,
                                     std::shared_ptr<QList<TakenFile>> taken)
    : m_codec(codec), m_files(std::move(files)), m_pageCount(pageCount), m_taken(std::move(taken)) {}

bool FolderBatchSource::loadFile(const QString& path, QString& error) {
    const ImageResult<int> count = m_codec.pageCount(path);
    if (!count) {
        error = count.error;
        return false;
    }
    if (count.value <= 0) {
        error = QStringLiteral("%1 holds no page").arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (m_pages > 0 && m_pages + count.value > m_pageCount) return true; // waits for the next batch
    std::deque<std::unique_ptr<PageImage>> pages;
    for (int p = 0; p < count.value; ++p) {
        ImageResult<LoadedPage> page = m_codec.loadPage(path, p, 1);
        if (!page) {
            error = page.error;
            return false;
        }
        pages.push_back(std::move(page.value.image));
    }
    for (auto& page : pages) m_ready.push_back(std::move(page));
    m_pages += count.value;
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
