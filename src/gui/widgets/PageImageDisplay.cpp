#include "gui/widgets/PageImageDisplay.h"

#include "core/ports/PageImage.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstring>

namespace kestrova {

namespace {

// The reader's bitmap stores the bottom row first with a set bit for white; a mono image stores
// the top row first, so rows are copied in reverse and index 1 of the colour table is white.
QImage FromPageBitmap(const barcode::PageBitmap& bitmap) {
    QImage image(bitmap.width, bitmap.height, QImage::Format_Mono);
    if (image.isNull()) return {};
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    const auto rowBytes = static_cast<std::size_t>(std::min<qsizetype>(bitmap.bytesPerRow, image.bytesPerLine()));
    for (int y = 0; y < bitmap.height; ++y) std::memcpy(image.scanLine(y), bitmap.row(bitmap.height - 1 - y), rowBytes);
    return image;
}

} // namespace

QImage DisplayImageOf(const PageImage& page) {
    if (page.bitsPerPixel() == 1) {
        barcode::PageBitmap bitmap;
        if (page.toPageBitmap(bitmap)) return FromPageBitmap(bitmap);
    }
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kestrova-page-XXXXXX"));
    if (!dir.isValid()) return {};
    const QString file = dir.filePath(QStringLiteral("page.bmp"));
    if (!page.saveAs(file, ImageFileFormat::Bmp)) return {};
    return QImage(file);
}

} // namespace kestrova
