#include "core/scan/BatchDecodePage.h"

#include "core/config/SetupFile.h"

#include <cmath>

namespace kestrova {

int PageSearchDepth(std::uint32_t flags, const setupinformation& setup, qint64 heightPx, int verticalDpi) {
    if ((flags & (WholeHeightFlag | PageMeasuringFlag)) != 0) return 100;
    if (setup.DocDefs.isEmpty() || verticalDpi <= 0) return 100;
    return setup.DocDefs[NearestDocDefinition(setup, PageLengthOf(double(heightPx), verticalDpi))].SearchDepth;
}

int ContentLengthCm(qint64 heightPx, int topCut, int firstInkedRow, int verticalDpi) {
    if (verticalDpi <= 0) return 0;
    const double rows = double(heightPx) - (double(topCut) + double(firstInkedRow));
    return static_cast<int>(std::trunc(rows / verticalDpi * 2.54));
}

QString BatchSummaryText(double scanHeightMm, const QString& resolutionText, int pageCount,
                         const QVector<int>& contentLengthsCm) {
    struct Group {
        int length;
        int count;
    };
    QVector<Group> groups;
    for (const int length : contentLengthsCm) {
        Group* joined = nullptr;
        for (Group& group : groups) {
            if (std::abs(double(group.length) - double(length)) < 1.5) {
                joined = &group;
                break;
            }
        }
        if (!joined)
            groups.append({length, 1});
        else if (joined->length == 0)
            joined->count = 1;
        else
            ++joined->count;
    }
    QString text = QStringLiteral("Scan Size   :") + QString::number(scanHeightMm / 10.0, 'f', 2) +
                   QStringLiteral("cm\nResolution  :") + resolutionText + QStringLiteral(" dpi\nTotal Pages :") +
                   QString::number(pageCount) + QLatin1Char('\n');
    for (const Group& group : groups) {
        if (group.length == 0) continue;
        text += QString::number(group.length) + QStringLiteral("cm Pages  : ") + QString::number(group.count) +
                QLatin1Char('\n');
    }
    return text;
}

} // namespace kestrova
