#include "core/scan/ProblemZoom.h"

#include <gtest/gtest.h>

using namespace kestrova;

TEST(ProblemZoom, StepsFitTheHeightOrStartAgainAt100BelowOnePercent) {
    struct Case {
        int scale, step, fitHeight, expected;
    };
    const Case cases[] = {
        {50, -10, 30, 40}, {50, 10, 30, 60},   {50, FitPageHeightStep, 30, 30},
        {11, -10, 30, 1},  {10, -10, 30, 100}, {5, -10, 30, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZoomProblemImage(c.scale, c.step, c.fitHeight), c.expected) << c.scale << " " << c.step;

    EXPECT_EQ(ProblemZoomStep(ImageMouseButton::Left), -10);
    EXPECT_EQ(ProblemZoomStep(ImageMouseButton::Right), 10);
    EXPECT_EQ(ProblemZoomStep(ImageMouseButton::Middle), FitPageHeightStep);
    EXPECT_EQ(ProblemZoomStep(ImageMouseButton::Other), 0);
    EXPECT_TRUE(IsStatusViewCaption(QStringLiteral("Last Scan Batch")));
    EXPECT_FALSE(IsStatusViewCaption(QStringLiteral("Problem Image")));
}
