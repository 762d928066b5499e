#pragma once

#include <QString>

namespace kestrova {

class Station;

// The zoom step that fits the page height to the view instead of changing the scale.
inline constexpr int FitPageHeightStep = -1000;

// The problem image's scale after a zoom step: FitPageHeightStep gives fitHeightPercent (the
// scale at which the page height fills the view); any other step is added to the scale, and a
// result below 1 percent starts again at 100.
int ZoomProblemImage(int scalePercent, int step, int fitHeightPercent);

// The mouse buttons on the page image and the zoom step each one gives when released.
enum class ImageMouseButton { Left, Right, Middle, Other };
// Left -10, right +10, middle fits the page height; 0 for any other button.
int ProblemZoomStep(ImageMouseButton button);

// True when the image group's caption is the status view's ("Last Scan Batch"): a left click
// there opens the review of the last batch instead of zooming.
bool IsStatusViewCaption(const QString& caption);

// The "Decode Problems" menu switch: toggles its check mark and caption.
void DecodeProblems1Click(Station& station);

} // namespace kestrova
