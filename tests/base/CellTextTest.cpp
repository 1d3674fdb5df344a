#include "base/CellText.h"

#include <gtest/gtest.h>

namespace {

TEST(CellTextTest, TakesColonCommaAndSpaceSeparatedCells)
{
    const std::pair<const char*, Cell> read[] = {
        {"12:34", {12, 34}},  {"12,34", {12, 34}},     {"12 34", {12, 34}},  {" 0 : 7 ", {0, 7}},
        {"3,\t4", {3, 4}},    {"-1:5", {-1, 5}},       {"65535:0", {65535, 0}}, {"7   8", {7, 8}},
    };
    for (const auto& [text, cell] : read) {
        const std::optional<Cell> parsed = ParseCellText(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(*parsed, cell) << text;
    }
}

TEST(CellTextTest, RefusesWhatIsNotOneCell)
{
    for (const char* text : {"", "12", "12:", ":34", "a:b", "1:2:3", "1 2 3", "1.5:2", "0x10:2", "+1:2",
                             "99999999999:1", "1;2", "12: 34x"})
        EXPECT_FALSE(ParseCellText(text).has_value()) << '"' << text << '"';
}

} // namespace
