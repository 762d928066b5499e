#pragma once

#include "core/ports/PageImage.h"
#include "core/scan/ScanControlBatch.h"

#include <atomic>
#include <mutex>
#include <sane/sane.h>

namespace kestrova::sane {

class PageFrames;

// The pages of one batch from an open SANE device: every sheet of the feeder (one page from a
// flatbed), at most pageCount. It takes over the handle and closes it when the batch is over.
// The lines of a page are made 1 bit as they arrive; a page larger than the codec's page limit
// (see PageFrames) ends the batch with a fault, keeping the pages before it.
class SaneBatchSource : public BatchSource {
public:
    SaneBatchSource(SANE_Handle handle, const ImageCodec& codec, int pageCount, bool feeder, int dpi);
    ~SaneBatchSource() override;

    BatchStep next() override;
    void finish() override;
    void requestStop() override;

private:
    // Reads one frame after sane_start into frames; returns the status that ended it (EOF on
    // success). A frame that frames refuses ends it with SANE_STATUS_NO_MEM and refusal set.
    SANE_Status readFrame(PageFrames& frames, QString& refusal);

    std::mutex m_mutex;
    SANE_Handle m_handle;
    const ImageCodec& m_codec;
    int m_pageCount;
    bool m_feeder;
    int m_dpi;
    int m_pages = 0;
    std::atomic<bool> m_stop{false};
};

} // namespace kestrova::sane
