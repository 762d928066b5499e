#include "core/station/ImageInfo.h"
#include "core/scan/DecodeImages.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

TEST(ImageInfo, CompressionCodeComesFromTheReportedNameWithItsLetterCase) {
    const std::pair<const char*, int> table[] = {{"NONE", 0}, {"CCITT", 1},    {"FAXCCITT3", 2}, {"FAXCCITT4", 3},
                                                 {"LZW", 4},  {"PACKBITS", 5}, {"lzw", 0},       {"JPEG", 0},
                                                 {"", 0},     {"LZW ", 0}};
    for (const auto& [name, code] : table) EXPECT_EQ(CompressionCodeFor(QString::fromLatin1(name)), code) << name;

    ImageFileInfo reported;
    reported.width = 1654;
    reported.height = 2339;
    reported.bitsPerPixel = 1;
    reported.sizeInBytes = 51234;
    reported.pageCount = 7;
    reported.pageNumber = 3;
    reported.compressionName = QStringLiteral("FAXCCITT4");
    const TImageInfo info = DecodeImageDocInfo(reported, QStringLiteral("/scan/qvimageset.tif"), true);
    EXPECT_EQ(info.Width, 1654);
    EXPECT_EQ(info.Height, 2339);
    EXPECT_EQ(info.BitsPerPixel, 1);
    EXPECT_EQ(info.Size, 51234);
    EXPECT_EQ(info.PageCount, 7);
    EXPECT_EQ(info.PageNumber, 3);
    EXPECT_EQ(info.CompressionCode, 3);
    EXPECT_TRUE(info.ByFile);
    EXPECT_EQ(info.FileName, "/scan/qvimageset.tif");
}

} // namespace
} // namespace kestrova
