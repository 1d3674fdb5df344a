#include "base/UserText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(UserTextTest, ValuesTakeTheirNumbersPlaceInOnePass)
{
    EXPECT_EQ(WithValues("Step %1 of \"%2\" at %3.", {"2", "a -> +8", "1F"}), "Step 2 of \"a -> +8\" at 1F.");
    EXPECT_EQ(WithValues("%2 \xE7\x9A\x84 %1", {"x", "y"}), "y \xE7\x9A\x84 x"); // a translation may turn them round
    EXPECT_EQ(WithValues("%1 and %1", {"v"}), "v and v");
    EXPECT_EQ(WithValues("%1", {"%2", "never"}), "%2"); // a value is not read again
    EXPECT_EQ(WithValues("100% of %3, %0 and %", {"a"}), "100% of %3, %0 and %");
    EXPECT_EQ(WithValues("", {"a"}), "");
}

std::string Shouted(const char* context, const char* english)
{
    return std::string(context) + ": " + english + "!";
}

TEST(UserTextTest, TheProgramsTranslationIsUsedUntilTakenBack)
{
    EXPECT_EQ(UserText("Context", "As written."), "As written.");
    SetUserTextTranslation(&Shouted);
    EXPECT_EQ(UserText("Context", "As written."), "Context: As written.!");
    EXPECT_EQ(WithValues(UserText("Context", "Has %1."), {"x"}), "Context: Has x.!");
    SetUserTextTranslation(nullptr);
    EXPECT_EQ(UserText("Context", "As written."), "As written.");
}

} // namespace
