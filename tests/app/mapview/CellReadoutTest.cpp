#include "app/mapview/CellReadout.h"
#include "tests/support/MainWindowFixture.h"

namespace {

TEST(CellReadoutTextTest, TellsCellStateSizeAndZoom)
{
    EXPECT_EQ(CellReadoutText({12, 34}, CellState::Blocked, {300, 200}, {300, 200}),
              QStringLiteral("12:34 blocked  300 \u00D7 200 cells  100%"));
    EXPECT_EQ(CellReadoutText({0, 0}, CellState::Flagged, {300, 200}, {360, 240}),
              QStringLiteral("0:0 flagged  300 \u00D7 200 cells  120%"));
    EXPECT_EQ(CellReadoutText({1, 2}, CellState::Open, {3, 200}, {4, 240}),
              QStringLiteral("1:2 open  3 \u00D7 200 cells  133% \u00D7 120%"));
}

} // namespace
