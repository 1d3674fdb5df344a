#include "base/HexText.h"

#include <gtest/gtest.h>

namespace {

TEST(HexTextTest, ReadsDigitsOfEitherCaseUpTo64Bits)
{
    EXPECT_EQ(ParseHexDigits("1a2B"), 0x1A2Bu);
    EXPECT_EQ(ParseHexDigits("000000000000000000FF"), 0xFFu);
    EXPECT_EQ(ParseHexDigits("FFFFFFFFFFFFFFFF"), 0xFFFFFFFFFFFFFFFFu);
    for (const char* wrong : {"", "10000000000000000", "0x1", " 1", "1 ", "-1", "+1", "1g"})
        EXPECT_EQ(ParseHexDigits(wrong), std::nullopt) << '"' << wrong << '"';
}

TEST(HexTextTest, WritesUpperCaseDigitsPaddedToTheWidth)
{
    EXPECT_EQ(HexText(0xAB, 8), "000000AB");
    EXPECT_EQ(HexText(0x123456789ABCDEFull, 8), "123456789ABCDEF");
    EXPECT_EQ(HexText(0), "0");
    EXPECT_EQ(ParseHexDigits(HexText(0xFEDCBA9876543210ull)), 0xFEDCBA9876543210ull);
}

} // namespace
