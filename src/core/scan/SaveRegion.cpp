#include "core/scan/SaveRegion.h"

#include "barcode/QVCodabar.h"

#include <QRect>
#include <cmath>

namespace kestrova {

int SaveRegionAsTiff(const PageImage* page, const QString& path, int angle, int width, int height, int topMargin,
                     int bottomMargin, int leftMargin, int rightMargin, int storageDpi, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return RegionNotWritten;
    };
    if (!page) {
        if (error) *error = QStringLiteral("No page image to save to ") + path;
        return RegionNoBitmap;
    }
    const QRect rect(QPoint(leftMargin, topMargin), QPoint(width - rightMargin - 1, height - bottomMargin - 1));
    if (rect.isEmpty()) {
        return fail(QStringLiteral("Nothing is left of the %1 x %2 page inside margins %3, %4, %5, %6")
                        .arg(width)
                        .arg(height)
                        .arg(topMargin)
                        .arg(bottomMargin)
                        .arg(leftMargin)
                        .arg(rightMargin));
    }
    QSize size;
    const int dpi = page->yResolution();
    const bool scale = storageDpi > 0 && dpi > storageDpi;
    if (scale) {
        const double factor = double(storageDpi) / dpi;
        const QRect clipped = rect.intersected(QRect(0, 0, page->width(), page->height()));
        size = QSize(std::max(1, int(std::lround(clipped.width() * factor))),
                     std::max(1, int(std::lround(clipped.height() * factor))));
    }
    Result<std::unique_ptr<PageImage>> copy = page->copyRect(rect, size);
    if (!copy || !copy.value()) return fail(copy.error());
    if (scale) {
        // The scaled copy keeps the page's proportions; its vertical resolution is the storage one.
        const int xDpi =
            page->xResolution() > 0 ? int(std::lround(page->xResolution() * double(storageDpi) / dpi)) : storageDpi;
        copy.value()->setResolution(xDpi, storageDpi);
    }
    if (angle % 360 != 0) {
        const Status turned = copy.value()->turn(angle);
        if (!turned) return fail(turned.error());
    }
    const Status saved = copy.value()->saveTiff(path, TiffCompression::Lzw, TiffSaveMode::Replace);
    if (!saved) return fail(saved.error());
    return RegionSaved;
}

QString SaveDecodedPage(const PageImage* page, const QString& fileName, int topCut, int angle,
                        const barcode::QVCodabar& reader, int storageDpi) {
    if (!page) return QStringLiteral("No page image to save to ") + fileName;
    QString error;
    const int result =
        SaveRegionAsTiff(page, fileName, angle, page->width(), page->height(), topCut, reader.ContentStartRow,
                         reader.LeftMargin, reader.RightMargin, storageDpi, &error);
    return result == RegionSaved ? QString() : error;
}

} // namespace kestrova
