// The page assembly of the SANE source on frames made up here: what a device's driver may send
// that the test backend does not.
#include "platform/sane/SaneFrames.h"

#include <gtest/gtest.h>

using kestrova::sane::PageFrames;

namespace {

SANE_Parameters Grey(int width, int lines, int bytesPerLine) {
    SANE_Parameters p{};
    p.format = SANE_FRAME_GRAY;
    p.last_frame = SANE_TRUE;
    p.bytes_per_line = bytesPerLine;
    p.pixels_per_line = width;
    p.lines = lines;
    p.depth = 8;
    return p;
}

// The page of one grey frame whose data arrives in pieces of chunk bytes.
std::vector<std::uint8_t> Assembled(const SANE_Parameters& p, const std::vector<std::uint8_t>& data, std::size_t chunk,
                                    int reportedLines) {
    PageFrames frames(1 << 20);
    QString error;
    EXPECT_TRUE(frames.beginFrame(p, error)) << error.toStdString();
    for (std::size_t at = 0; at < data.size(); at += chunk)
        EXPECT_TRUE(frames.addData(data.data() + at, std::min(chunk, data.size() - at), error));
    EXPECT_TRUE(frames.endFrame(reportedLines, error)) << error.toStdString();
    kestrova::barcode::PageBitmap bitmap;
    frames.toPageBitmap(bitmap);
    EXPECT_EQ(bitmap.height, reportedLines > 0 ? reportedLines : int(data.size()) / p.bytes_per_line);
    return bitmap.bits;
}

} // namespace

TEST(SaneFrames, LinesSplitAcrossReadsMakeTheSamePageAndALineCutShortIsDropped) {
    // 11 pixels a line in lines of 12 bytes (a padded line), 5 lines and half a sixth.
    const SANE_Parameters p = Grey(11, -1, 12);
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 66; ++i) data.push_back(static_cast<std::uint8_t>((i * 37) % 256));
    const std::vector<std::uint8_t> whole = Assembled(p, data, data.size(), -1);
    for (std::size_t chunk : {1u, 5u, 7u, 12u, 13u}) EXPECT_EQ(Assembled(p, data, chunk, -1), whole) << chunk;
    // The device's count at the end of the frame cuts the page.
    EXPECT_EQ(Assembled(p, data, 7, 3).size(), whole.size() / 5 * 3);
}

TEST(SaneFrames, LinesTooShortForTheirPixelsAreRefusedBeforeAByteIsRead) {
    PageFrames frames(1 << 20);
    QString error;
    EXPECT_FALSE(frames.beginFrame(Grey(100, 10, 99), error));
    EXPECT_EQ(error, "The scanner sends lines too short for their pixels");
    // A line of unknown count that alone passes the limit is refused as well.
    PageFrames small(1000);
    EXPECT_FALSE(small.beginFrame(Grey(1001, -1, 1001), error));
    EXPECT_TRUE(error.startsWith("The scanner's page is too large to take: 1001 x 1 pixels and more"))
        << error.toStdString();
}
