#include "core/scan/ProblemZoom.h"

#include "core/station/Station.h"

namespace kestrova {

int ZoomProblemImage(int scalePercent, int step, int fitHeightPercent) {
    if (step == FitPageHeightStep) return fitHeightPercent;
    const int scale = scalePercent + step;
    return scale < 1 ? 100 : scale;
}

int ProblemZoomStep(ImageMouseButton button) {
    switch (button) {
    case ImageMouseButton::Left:
        return -10;
    case ImageMouseButton::Right:
        return 10;
    case ImageMouseButton::Middle:
        return FitPageHeightStep;
    case ImageMouseButton::Other:
        break;
    }
    return 0;
}

bool IsStatusViewCaption(const QString& caption) {
    return caption.contains(QStringLiteral("scan batch"), Qt::CaseInsensitive);
}

void DecodeProblems1Click(Station& station) {
    station.task().setDecodeProblems1(!station.task().DecodeProblems1());
}

} // namespace kestrova
