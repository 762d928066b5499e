#pragma once

#include "core/ports/PageImage.h"
#include "core/scan/ScanControlBatch.h"

#include <atomic>
#include <mutex>
#include <sane/sane.h>

namespace kestrova::sane {

// The pages of one batch from an open SANE device: every sheet of the feeder (one page from a
// flatbed), at most pageCount. It takes over the handle and closes it when the batch is over.
class SaneBatchSource : public BatchSource {
public:
    SaneBatchSource(SANE_Handle handle, const ImageCodec& codec, int pageCount, bool feeder, int dpi);
    ~SaneBatchSource() override;

    BatchStep next() override;
    void finish() override;
    void requestStop() override;

private:
    // Reads one frame after sane_start; returns the status that ended it (EOF on success).
    SANE_Status readFrame(std::vector<std::uint8_t>& data);

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
