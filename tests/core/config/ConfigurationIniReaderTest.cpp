#include "core/config/IniReader.h"

#include <gtest/gtest.h>
#include <limits>

using namespace kestrova;

TEST(ConfigurationIniReader, IntegersAreDecimalOrHexAndAnythingElseIsNoNumber) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {"  7 ", 7},
        {"-5", -5},
        {"+5", 5},
        {"0x1F", 31},
        {"0X10", 16},
        {"0x0000000A", 10},
        {"0xFFFFFFFF", -1},
        {"2147483647", std::numeric_limits<std::int32_t>::max()},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"2147483648", std::nullopt},
        {"0x100000000", std::nullopt},
        {"99999999999999999999999999", std::nullopt},
        {"true", std::nullopt},
        {"1.5", std::nullopt},
        {"12abc", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"0x", std::nullopt},
        {"0x-1", std::nullopt},
        {"0xG1", std::nullopt},
        {"1 2", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseIniInteger(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(ConfigurationIniReader, NamesMatchWithoutRegardToCaseAndAreTakenLiterally) {
    const IniReader ini({{"Barcode Profiles\\Barcode Profile:0", "Number of Digits Range: From", "6"},
                         {"SCANNING", "scanner id", "S1"}});
    EXPECT_EQ(ini.readInteger("barcode profiles\\BARCODE PROFILE:0", "NUMBER OF DIGITS RANGE: FROM"), 6);
    EXPECT_EQ(ini.readString("Scanning", "Scanner ID"), "S1");
    // "\" and ":" are plain characters of the name: no nesting, no other separator.
    EXPECT_FALSE(ini.sectionExists("Barcode Profile:0"));
    EXPECT_FALSE(ini.sectionExists("Barcode Profiles/Barcode Profile:0"));
    EXPECT_EQ(ini.readInteger("Barcode Profiles\\Barcode Profile:0", "Number of Digits Range", -1), -1);
    EXPECT_EQ(ini.readInteger("Barcode Profiles\\Barcode Profile:0", "From", -1), -1);
}

TEST(ConfigurationIniReader, SectionsWithoutKeysAreMissingAndTheFirstValueOfAKeyCounts) {
    const IniReader ini({{"A", "k", "1"}, {"B", "k", ""}, {"a", "K", "2"}, {"a", "j", "3"}});
    EXPECT_TRUE(ini.sectionExists("A"));
    EXPECT_TRUE(ini.sectionExists("b")); // a key with an empty value is still a key
    EXPECT_FALSE(ini.sectionExists("C"));
    EXPECT_FALSE(ini.sectionExists(""));
    EXPECT_EQ(ini.readInteger("A", "k"), 1);
    EXPECT_EQ(ini.readInteger("A", "j"), 3);
    EXPECT_EQ(ini.readInteger("B", "k", 9), 9);
    EXPECT_EQ(ini.readString("B", "k", "x"), "");
    EXPECT_EQ(ini.readString("B", "missing", "x"), "x");
}

TEST(ConfigurationIniReader, BooleansAreIntegers) {
    const IniReader ini({{"S", "zero", "0"},
                         {"S", "one", "1"},
                         {"S", "two", "2"},
                         {"S", "minus", "-1"},
                         {"S", "hex", "0x10"},
                         {"S", "hexZero", "0x0"},
                         {"S", "word", "true"},
                         {"S", "empty", ""}});
    EXPECT_FALSE(ini.readBool("S", "zero", true));
    EXPECT_TRUE(ini.readBool("S", "one"));
    EXPECT_TRUE(ini.readBool("S", "two"));
    EXPECT_TRUE(ini.readBool("S", "minus"));
    EXPECT_TRUE(ini.readBool("S", "hex"));
    EXPECT_FALSE(ini.readBool("S", "hexZero", true));
    EXPECT_FALSE(ini.readBool("S", "word"));
    EXPECT_TRUE(ini.readBool("S", "word", true));
    EXPECT_FALSE(ini.readBool("S", "empty"));
    EXPECT_FALSE(ini.readBool("S", "missing"));
}
