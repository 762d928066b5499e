#include "platform/sane/SaneBatchSource.h"

#include "platform/sane/SaneFrames.h"
#include "platform/sane/SaneLibrary.h"

namespace kestrova::sane {

SaneBatchSource::SaneBatchSource(SANE_Handle handle, const ImageCodec& codec, int pageCount, bool feeder, int dpi)
    : m_handle(handle), m_codec(codec), m_pageCount(pageCount), m_feeder(feeder), m_dpi(dpi) {}

SaneBatchSource::~SaneBatchSource() {
    finish();
}

void SaneBatchSource::requestStop() {
    m_stop = true;
    std::lock_guard lock(m_mutex);
    if (m_handle) sane_cancel(m_handle);
}

void SaneBatchSource::finish() {
    std::lock_guard lock(m_mutex);
    if (!m_handle) return;
    sane_cancel(m_handle);
    sane_close(m_handle);
    m_handle = nullptr;
}

SANE_Status SaneBatchSource::readFrame(PageFrames& frames, QString& refusal) {
    std::vector<std::uint8_t> buffer(64 * 1024);
    for (;;) {
        SANE_Int length = 0;
        const SANE_Status status = sane_read(m_handle, buffer.data(), static_cast<SANE_Int>(buffer.size()), &length);
        if (length > 0 && !frames.addData(buffer.data(), std::size_t(length), refusal)) return SANE_STATUS_NO_MEM;
        if (status != SANE_STATUS_GOOD) return status;
    }
}

BatchStep SaneBatchSource::next() {
    if (m_stop || m_pages >= m_pageCount || (!m_feeder && m_pages > 0)) return BatchStep::end();
    PageFrames frames(m_codec.pageLimit());
    for (bool last = false; !last;) {
        SANE_Status status = sane_start(m_handle);
        // An empty feeder after the first sheet is the normal end of a batch.
        if (status == SANE_STATUS_NO_DOCS && m_pages > 0 && frames.empty()) return BatchStep::end();
        if (status == SANE_STATUS_CANCELLED && m_stop)
            return m_pages > 0 ? BatchStep::end() : BatchStep::failure(StatusText(status));
        if (status != SANE_STATUS_GOOD) return BatchStep::failure(StatusText(status));
        SANE_Parameters params{};
        status = sane_get_parameters(m_handle, &params);
        if (status != SANE_STATUS_GOOD) return BatchStep::failure(StatusText(status));
        QString error;
        if (!frames.beginFrame(params, error)) return BatchStep::failure(error);
        status = readFrame(frames, error);
        if (!error.isEmpty()) return BatchStep::failure(error);
        if (status == SANE_STATUS_CANCELLED && m_stop)
            return m_pages > 0 ? BatchStep::end() : BatchStep::failure(StatusText(status));
        if (status != SANE_STATUS_EOF) return BatchStep::failure(StatusText(status));
        // Parameters may be exact only once the frame has been read (hand scanners, length detection).
        SANE_Parameters after{};
        if (sane_get_parameters(m_handle, &after) == SANE_STATUS_GOOD &&
            after.bytes_per_line == params.bytes_per_line && after.lines > 0)
            params.lines = after.lines;
        if (!frames.endFrame(params.lines, error)) return BatchStep::failure(error);
        last = params.last_frame;
    }
    barcode::PageBitmap bitmap;
    frames.toPageBitmap(bitmap);
    Result<std::unique_ptr<PageImage>> page = m_codec.fromPageBitmap(bitmap, m_dpi, m_dpi);
    if (!page) return BatchStep::failure(page.error());
    ++m_pages;
    return BatchStep::ofPage(std::move(page.value()));
}

} // namespace kestrova::sane
