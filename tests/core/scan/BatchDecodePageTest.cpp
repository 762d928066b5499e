#include "core/scan/BatchDecodePage.h"

#include <gtest/gtest.h>

using namespace kestrova;

namespace {

setupinformation TwoDocuments() {
    setupinformation setup;
    docdefinition request;
    request.DocCode = QStringLiteral("~REQ");
    request.PageLength = 2970;
    request.SearchDepth = 25;
    docdefinition slip;
    slip.DocCode = QStringLiteral("~SLIP");
    slip.PageLength = 1480;
    slip.SearchDepth = 60;
    setup.DocDefs = {request, slip};
    return setup;
}

TEST(PageSearchDepth, NearestDocumentUnlessTheWholeHeightIsRead) {
    const setupinformation setup = TwoDocuments();
    EXPECT_EQ(PageSearchDepth(0, setup, 3508, 300), 25); // A4 at 300 dpi
    EXPECT_EQ(PageSearchDepth(0, setup, 2339, 200), 25); // A4 at 200 dpi
    EXPECT_EQ(PageSearchDepth(0, setup, 1748, 300), 60); // a half-height slip
    EXPECT_EQ(PageSearchDepth(NoRetryFlag, setup, 1748, 300), 60);
    EXPECT_EQ(PageSearchDepth(WholeHeightFlag, setup, 1748, 300), 100);
    EXPECT_EQ(PageSearchDepth(PageMeasuringFlag, setup, 1748, 300), 100);
    // No definitions or no resolution: read everything rather than guess.
    EXPECT_EQ(PageSearchDepth(0, setupinformation{}, 3508, 300), 100);
    EXPECT_EQ(PageSearchDepth(0, setup, 3508, 0), 100);
}

TEST(ContentLength, WholeCentimetresBelowTheCutAndFirstInkedRow) {
    EXPECT_EQ(ContentLengthCm(3508, 0, 1, 300), 29);
    EXPECT_EQ(ContentLengthCm(2339, 0, 1, 200), 29);
    EXPECT_EQ(ContentLengthCm(3550, 0, 1, 300), 30);
    EXPECT_EQ(ContentLengthCm(3550, 120, 1, 300), 29);
    EXPECT_EQ(ContentLengthCm(2490, 0, 1, 300), 21);
    EXPECT_EQ(ContentLengthCm(3508, 0, 1, 0), 0);
}

TEST(BatchSummary, GroupsPagesWithinOneAndAHalfCentimetres) {
    EXPECT_EQ(BatchSummaryText(297.04, QStringLiteral("300"), 7, {29, 30, 21, 0, 28, 31, 21}),
              "Scan Size   :29.70cm\nResolution  :300 dpi\nTotal Pages :7\n"
              "29cm Pages  : 3\n21cm Pages  : 2\n31cm Pages  : 1\n");
    // Zero-length pages (and pages that fall into their group) are not listed.
    EXPECT_EQ(BatchSummaryText(215.9, QStringLiteral("200"), 3, {0, 0, 1}),
              "Scan Size   :21.59cm\nResolution  :200 dpi\nTotal Pages :3\n");
}

} // namespace
