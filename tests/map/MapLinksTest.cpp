#include "map/MapLinks.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string_view>;

struct LinkCase {
    const char* name;
    const char* line;
    bool listed;
};

class HarborLinkTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(HarborLinkTest, LineIsListedOnlyInTheFourForms)
{
    const std::string line = GetParam().line;
    const Lines matched = MatchMapLinks(line, MapNameOf("Harbor2.map"));
    EXPECT_EQ(matched.size(), GetParam().listed ? 1u : 0u) << line;
}

INSTANTIATE_TEST_SUITE_P(MapInfoLines, HarborLinkTest,
                         ::testing::Values(LinkCase{"Harbor2_bracket_form", "[HARBOR2 Old harbour]", true},
                                           LinkCase{"Harbor2_bracket_form_tab_lower_case", "[harbor2\tOld harbour]", true},
                                           LinkCase{"Harbor2_name_first_form", "Harbor2 north pier", true},
                                           LinkCase{"Harbor2_name_first_form_tab", "HARBOR2\tnorth pier", true},
                                           LinkCase{"Harbor2_name_and_space_only", "HARBOR2 ", true},
                                           LinkCase{"Harbor2_name_alone", "HARBOR2", false},
                                           LinkCase{"Harbor2_bracket_closed", "[HARBOR2]", false},
                                           LinkCase{"Harbor2_longer_name", "HARBOR20 east gate", false},
                                           LinkCase{"Harbor2_comma_after_name", "HARBOR2,east gate", false},
                                           LinkCase{"Harbor2_blank_before_name", " HARBOR2 north pier", false},
                                           LinkCase{"Harbor2_blank_inside_bracket", "[ HARBOR2 Old harbour]", false},
                                           LinkCase{"Harbor2_name_later_in_line", "Mine7 gate to HARBOR2", false},
                                           LinkCase{"Harbor2_empty_line", "", false},
                                           LinkCase{"Harbor2_name_cut_short", "[HARBOR", false},
                                           LinkCase{"Harbor2_byte_order_mark", "\xEF\xBB\xBFHARBOR2 pier", false}),
                         [](const ::testing::TestParamInfo<LinkCase>& row) { return std::string(row.param.name); });

TEST(MapNameTest, FileNameWithoutExtensionUpperCased)
{
    EXPECT_EQ(MapNameOf("Harbor2.map"), "HARBOR2");
    EXPECT_EQ(MapNameOf("Harbor.2.map"), "HARBOR.2");
    EXPECT_EQ(MapNameOf(".map"), "");
    EXPECT_EQ(MapNameOf("noextension"), "NOEXTENSION");
    // The second byte of a GBK character is upper-cased like any other byte.
    EXPECT_EQ(MapNameOf("\xB8\x61x.map"), "\xB8\x41X");
}

TEST(MapLinksTest, ListsMatchingLinesUnchangedInFileOrder)
{
    const std::string file = "Harbor2 one\r\n[harbor2\ttwo]\r\nHarbor two\r\nharbor2 three\r\nharbor2 three\r\n";
    EXPECT_EQ(MatchMapLinks(file, "HARBOR2"), (Lines{"Harbor2 one", "[harbor2\ttwo]", "harbor2 three", "harbor2 three"}));
    // A name that begins another name does not take its lines.
    EXPECT_EQ(MatchMapLinks(file, "HARBOR"), (Lines{"Harbor two"}));
    EXPECT_TRUE(MatchMapLinks(file, "MINE7").empty());
}

TEST(MapLinksTest, LineEndsCrLfCrOrLfGiveTheSameLines)
{
    const Lines expected{"A x", "", "a y", "[A\tz]"};
    EXPECT_EQ(SplitLines("A x\r\n\r\na y\r\n[A\tz]\r\n"), expected);
    EXPECT_EQ(SplitLines("A x\n\na y\n[A\tz]\n"), expected);
    EXPECT_EQ(SplitLines("A x\r\ra y\r[A\tz]"), expected);
    EXPECT_EQ(SplitLines("A x\n\ra y\n[A\tz]"), expected); // LF CR is two line ends
    EXPECT_EQ(MatchMapLinks("A x\r\ra y\r[A\tz]\r", "A"), (Lines{"A x", "a y", "[A\tz]"}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("\n"), (Lines{""}));
}

TEST(MapLinksTest, EmptyMapNameListsLinesBeginningWithABlank)
{
    const std::string file = " space\n\ttab\n[ bracket space\n[\tbracket tab\nword\n[word\n\n";
    EXPECT_EQ(MatchMapLinks(file, MapNameOf(".map")), (Lines{" space", "\ttab", "[ bracket space", "[\tbracket tab"}));
}

TEST(MapLinksTest, DoubleByteSecondBytesCompareByTheUpperCasingRule)
{
    // GBK 0xB8 0x61 and 0xB8 0x41 differ only by the case rule on the second byte.
    const std::string file = "\xB8\x41 upper\n\xB8\x61 lower\n\xB8\x42 other\n";
    EXPECT_EQ(MatchMapLinks(file, MapNameOf("\xB8\x61.map")), (Lines{"\xB8\x41 upper", "\xB8\x61 lower"}));
    EXPECT_EQ(MatchMapLinks(file, MapNameOf("\xB8\x41.map")), (Lines{"\xB8\x41 upper", "\xB8\x61 lower"}));
}

TEST(MapLinksTest, UpperCasingTouchesOnlyAToZ)
{
    EXPECT_EQ(UpperCaseAsciiBytes("az{`@AZ\xE1\xFA"), "AZ{`@AZ\xE1\xFA");
}

TEST(MapLinksTest, AtMostTheFirstLinesAreListedAndTheRestCounted)
{
    std::string file;
    for (int i = 0; i < 25; ++i)
        file += "Harbor2 line " + std::to_string(i) + "\nMine7 other\r\n";
    const MapLinks links = MatchMapLinks(file, MapNameOf("Harbor2.map"), 10);
    ASSERT_EQ(links.lines.size(), 10u);
    EXPECT_EQ(links.lines.front(), "Harbor2 line 0");
    EXPECT_EQ(links.lines.back(), "Harbor2 line 9");
    EXPECT_EQ(links.moreLines, 15u);
    EXPECT_EQ(MatchMapLinks(file, MapNameOf("Harbor2.map"), 25).moreLines, 0u);
    EXPECT_EQ(MatchMapLinks(file, MapNameOf("Harbor2.map"), 0).moreLines, 25u);

    EXPECT_EQ(MoreMapLinksLine(15), "... and 15 more lines for this map");
    EXPECT_EQ(MoreMapLinksLine(1), "... and 1 more line for this map");
}

TEST(MapLinksTest, AMillionMatchingLinesCostOnlyTheListedOnes)
{
    std::string file;
    for (int i = 0; i < 1000000; ++i)
        file += "HARBOR2 x\n";
    const MapLinks links = MatchMapLinks(file, "HARBOR2", kMaxListedMapLinks);
    EXPECT_EQ(links.lines.size(), 10000u);
    EXPECT_EQ(links.moreLines, 990000u);
    EXPECT_LE(links.lines.capacity(), 2 * kMaxListedMapLinks);
}

} // namespace
