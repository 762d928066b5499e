// Feeds arbitrary bytes as an image file to the page loader: every page of it is loaded at the
// depths the station uses and turned into the reader's bitmap. Errors are fine; crashes are not.
#include "barcode/PageBitmap.h"
#include "platform/leptonica/LeptonicaImageCodec.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    static const kestrova::LeptonicaImageCodec codec;
    static const QString path = QDir::tempPath() + QStringLiteral("/kestrova-page-fuzz-%1.img").arg(getpid());
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    // Only crashes and leaks count here; a damaged file is meant to fail, so outcomes are dropped.
    (void)codec.fileInfo(path);
    const auto pages = codec.pageCount(path);
    const int count = pages ? std::min(pages.value(), 4) : 1;
    for (int page = 0; page < count; ++page) {
        for (int depth : {1, 24}) {
            auto loaded = codec.loadPage(path, page, depth);
            if (!loaded) continue;
            kestrova::barcode::PageBitmap bitmap;
            (void)loaded.value().image->toPageBitmap(bitmap);
        }
    }
    return 0;
}
