#include "track/Tracker.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct AddressCase {
    const char* name;
    const char* text;
    std::optional<std::uint32_t> address;
};

class AddressTextTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressTextTest, HexadecimalDigitsOnly)
{
    EXPECT_EQ(ParseHexAddress(GetParam().text), GetParam().address) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AddressTextTest,
    ::testing::Values(AddressCase{"lower_case", "12ab", 0x12AB}, AddressCase{"upper_case", "12AB", 0x12AB}, AddressCase{"zero", "0", 0},
                      AddressCase{"largest", "FFFFFFFF", 0xFFFFFFFF}, AddressCase{"top_bit", "80000000", 0x80000000},
                      AddressCase{"nine_digits_leading_zero", "0FFFFFFFF", 0xFFFFFFFF}, AddressCase{"many_leading_zeros", "000000000001", 1},
                      AddressCase{"nine_significant_digits", "123456789", std::nullopt}, AddressCase{"just_too_large", "100000000", std::nullopt},
                      AddressCase{"nothing_typed", "", std::nullopt}, AddressCase{"c_prefix", "0x12", std::nullopt},
                      AddressCase{"dollar_typed", "$12", std::nullopt}, AddressCase{"blank_before", " 12", std::nullopt},
                      AddressCase{"blank_after", "12 ", std::nullopt}, AddressCase{"blank_between", "1 2", std::nullopt},
                      AddressCase{"minus", "-1", std::nullopt}, AddressCase{"plus", "+1", std::nullopt},
                      AddressCase{"not_a_digit", "12g", std::nullopt}),
    [](const ::testing::TestParamInfo<AddressCase>& row) { return std::string(row.param.name); });

TEST(AddressTextTest, TheFailureNamesTheText)
{
    EXPECT_EQ(NotAValidInteger("$"), "'$' is not a valid integer value");
}

} // namespace
