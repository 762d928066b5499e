#include "platform/zip/DeflatedSource.h"

#include <libdeflate.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace kestrova {

namespace {

struct CompressorFree {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// One compressor per level and thread: making one costs more than deflating a small page.
libdeflate_compressor* CompressorFor(int level) {
    thread_local std::unique_ptr<libdeflate_compressor, CompressorFree> compressors[10];
    auto& slot = compressors[level];
    if (!slot) slot.reset(libdeflate_alloc_compressor(level));
    return slot.get();
}

struct Deflated {
    QByteArray compressed;
    zip_uint64_t size = 0;
    zip_uint32_t crc = 0;
    zip_uint16_t levelFlags = 0;
    zip_uint64_t offset = 0;
    zip_error_t error;
};

zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* d = static_cast<Deflated*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        d->offset = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const auto left = static_cast<zip_uint64_t>(d->compressed.size()) - d->offset;
        const zip_uint64_t n = std::min(left, length);
        std::memcpy(data, d->compressed.constData() + d->offset, n);
        d->offset += n;
        return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &d->error);
        if (!stat) return -1;
        zip_stat_init(stat);
        stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
        stat->size = d->size;
        stat->comp_size = static_cast<zip_uint64_t>(d->compressed.size());
        stat->comp_method = ZIP_CM_DEFLATE;
        stat->crc = d->crc;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_GET_FILE_ATTRIBUTES: {
        auto* attributes = ZIP_SOURCE_GET_ARGS(zip_file_attributes_t, data, length, &d->error);
        if (!attributes) return -1;
        attributes->valid |= ZIP_FILE_ATTRIBUTES_GENERAL_PURPOSE_BIT_FLAGS;
        attributes->general_purpose_bit_flags = d->levelFlags;
        attributes->general_purpose_bit_mask = 0x0006;
        return sizeof(zip_file_attributes_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&d->error, data, length);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&d->error);
        delete d;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_GET_FILE_ATTRIBUTES, -1);
    default:
        zip_error_set(&d->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace

zip_source* DeflatedSource(zip* archive, const QByteArray& data, int level) {
    if (level < 1 || level > 9) return nullptr;
    libdeflate_compressor* compressor = CompressorFor(level);
    if (!compressor) return nullptr;

    auto d = std::make_unique<Deflated>();
    zip_error_init(&d->error);
    const size_t bound = libdeflate_deflate_compress_bound(compressor, static_cast<size_t>(data.size()));
    d->compressed.resize(static_cast<qsizetype>(bound));
    const size_t written = libdeflate_deflate_compress(compressor, data.constData(), static_cast<size_t>(data.size()),
                                                       d->compressed.data(), bound);
    if (written == 0) {
        zip_error_fini(&d->error);
        return nullptr;
    }
    d->compressed.truncate(static_cast<qsizetype>(written));
    d->size = static_cast<zip_uint64_t>(data.size());
    d->crc = libdeflate_crc32(0, data.constData(), static_cast<size_t>(data.size()));
    d->levelFlags = level >= 8 ? 0x0002 : level <= 2 ? 0x0004 : 0;

    zip_source_t* source = zip_source_function(archive, Callback, d.get());
    if (!source) {
        zip_error_fini(&d->error);
        return nullptr;
    }
    d.release(); // owned by the source now; freed by its FREE command
    return source;
}

} // namespace kestrova
