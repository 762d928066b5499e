#include "TestPage.h"

#include <gtest/gtest.h>

namespace kestrova::barcode::test {
namespace {

TEST(InitBarcodeReader, RefusesInconsistentParametersButStoresThem) {
    struct Case {
        std::uint8_t narrowFrom, narrowTo, wideFrom, wideTo;
        std::int32_t heightMm;
        std::uint32_t flags;
        bool refused;
    };
    const Case cases[] = {
        {2, 4, 5, 8, 250, FlagCodabar, false},
        {2, 4, 4, 8, 250, FlagBackgroundIsWhite, false}, // narrow may end where wide starts
        {4, 2, 5, 8, 250, FlagCodabar, true},            // narrow range backwards
        {2, 6, 5, 8, 250, FlagCodabar, true},            // narrow range runs into wide
        {2, 4, 9, 8, 250, FlagCodabar, true},            // wide range backwards
        {2, 4, 5, 8, 0, FlagCodabar, true},              // minimum height of 0
        {2, 4, 5, 8, -3, FlagCodabar, true},
        {2, 4, 5, 8, 250, FlagBackgroundIsWhite - 1, true}, // no bit from 2^25 up
    };
    for (const Case& c : cases) {
        QVCodabar reader;
        EXPECT_EQ(InitBarcodeReader(reader, c.narrowFrom, c.narrowTo, c.wideFrom, c.wideTo, 30, 1, 40, 50, 3, 12,
                                    c.heightMm, c.flags),
                  c.refused);
        EXPECT_EQ(reader.InitMarker, c.refused ? "" : "InitOK");
        EXPECT_EQ(reader.NarrowTo, c.narrowTo);
        EXPECT_EQ(reader.DoubleFrom, 30); // double and quad are never checked
        EXPECT_EQ(reader.Flags, c.flags);
        ASSERT_NE(reader.Extra, nullptr);
    }

    QVCodabar reader;
    EXPECT_FALSE(InitBarcodeReader(reader, 2, 4, 5, 8, 0, 0, 0, 0, 1, 9, 297, FlagCodabar | FlagBackgroundIsWhite));
    EXPECT_EQ(reader.MinHeightMilli, 297000);
    EXPECT_EQ(reader.InkThreshold, 200);
    TBcodeExtra* extra = reader.Extra.get();
    // A refused call keeps the marker of the earlier one, and the pattern object.
    EXPECT_TRUE(InitBarcodeReader(reader, 2, 4, 5, 8, 0, 0, 0, 0, 1, 9, 0, FlagCodabar));
    EXPECT_EQ(reader.InitMarker, "InitOK");
    EXPECT_EQ(reader.InkThreshold, 500);
    EXPECT_EQ(reader.Extra.get(), extra);
    EXPECT_FALSE(InitBarcodeReader(reader, 2, 4, 5, 8, 0, 0, 0, 0, 1, 9, 3000000, FlagCodabar));
    EXPECT_EQ(reader.MinHeightMilli, 2147483647); // held at the largest height, not wrapped
}

TEST(TBcodeExtra, PatternsAndMatching) {
    TBcodeExtra extra;
    EXPECT_FALSE(extra.HasPatterns);
    EXPECT_TRUE(extra.Accepts("anything"));
    extra.SetPatterns("12??5; A*C;");
    EXPECT_TRUE(extra.HasPatterns);
    EXPECT_EQ(extra.GetPatterns(), "12??5;A*C;");
    struct Case {
        const char* text;
        bool accepted;
    };
    for (const Case& c : {Case{"12345", true}, Case{"12xy5678", true}, Case{"1234", true}, Case{"12346", false},
                          Case{"ABC", true}, Case{"A", true}, Case{"aBC", false}, Case{"", true}})
        EXPECT_EQ(extra.Accepts(c.text), c.accepted) << c.text;
    // An empty line between two separators matches everything.
    extra.SetPatterns("9;;8");
    EXPECT_EQ(extra.Patterns.size(), 3u);
    EXPECT_TRUE(extra.Accepts("7"));
    extra.SetPatterns("");
    EXPECT_FALSE(extra.HasPatterns);
    EXPECT_EQ(extra.GetPatterns(), "");
}

TEST(BarcodeResults, TextFieldsAndCount) {
    QVCodabar reader;
    reader.Results[SlotCode25] = "0123456789:^5566:";
    reader.Results[SlotCode39] = "REQ1:";
    reader.Results[SlotCodabar] = "A123B:^C45D:";
    EXPECT_EQ(BarcodeResultsText(reader), "\r\n\r\n\r\n0123456789:5566:\r\nREQ1:\r\n123:45:");
    EXPECT_EQ(BarcodeCount(reader), 5);
    struct Case {
        int entry, slot, kind;
        std::string field;
    };
    const Case cases[] = {
        {1, 4, 1, "8"},   {2, 4, 5, "^5566"}, {2, 4, 6, "Y"},    {1, 4, 6, "N"},      {3, 4, 5, ""},
        {0, 4, 5, ""},    {1, 4, 2, ""},      {1, 5, 1, "REQ1"}, {1, 5, 4, "*REQ1*"}, {1, 5, 6, "N"},
        {1, 6, 1, "123"}, {2, 6, 1, "45"},    {1, 6, 2, "A"},    {2, 6, 2, "C"},      {1, 6, 3, "3"},
        {2, 6, 3, "5"},   {2, 6, 4, "^C45D"}, {2, 6, 6, "Y"},    {1, 6, 5, ""},       {1, 3, 1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BarcodeResultField(reader, c.entry, c.slot, static_cast<std::uint8_t>(c.kind)), c.field)
            << c.entry << "/" << c.slot << "/" << c.kind;
    ClearBarcodeResults(reader);
    EXPECT_EQ(BarcodeCount(reader), 0);
    EXPECT_EQ(BarcodeResultsText(reader), "\r\n\r\n\r\n\r\n\r\n\r\n");
}

} // namespace
} // namespace kestrova::barcode::test
