#pragma once

#include "core/ports/PageImage.h"
#include "core/scan/ScanControlBatch.h"

#include <QStringList>
#include <atomic>
#include <deque>
#include <memory>

namespace kestrova {

// The pages of the files waiting in a feeder folder, file by file in the order given. A file is
// read whole before its pages are given, so a damaged file gives no page and is left out (with a
// notice). A file that would take the batch past pageCount waits for the next batch, unless the
// batch is still empty (then all its pages are taken, so that no file is taken in part). A page
// is read only when its loading, with the file's pages read before it, keeps to the codec's page
// limit; otherwise the file is left out as unreadable.
// A file taken into a batch and the page count of the batch once its pages are in.
struct TakenFile {
    QString path;
    int pagesThrough = 0;
};

class FolderBatchSource : public BatchSource {
public:
    FolderBatchSource(const ImageCodec& codec, QStringList files, int pageCount,
                      std::shared_ptr<QList<TakenFile>> taken);

    BatchStep next() override;
    void requestStop() override { m_stop = true; }

private:
    bool loadFile(const QString& path, QString& error);
    bool fitsInMemory(const QString& path, int pages, QString& error) const;

    const ImageCodec& m_codec;
    QStringList m_files;
    int m_pageCount;
    int m_pages = 0;
    std::shared_ptr<QList<TakenFile>> m_taken;
    std::deque<std::unique_ptr<PageImage>> m_ready;
    std::atomic<bool> m_stop{false};
};

} // namespace kestrova
