#include "track/PlayerTrail.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::pair<int, int>> Cells(const std::vector<TrailStep>& steps)
{
    std::vector<std::pair<int, int>> cells;
    for (const TrailStep& step : steps)
        cells.emplace_back(step.x, step.y);
    return cells;
}

// A position is kept when it differs from the one before, on the map it was
// seen on; failed reads (0:0) are none.
TEST(PlayerTrailTest, KeepsStepsOnTheirMaps)
{
    PlayerTrail trail;
    trail.See(0, 5, 5, "a.map");
    trail.See(1000, 5, 5, "a.map"); // stood still
    trail.See(2000, 0, 0, "a.map");
    trail.See(3000, 6, 5, "a.map");
    trail.See(4000, 6, 5, "b.map"); // the same cell of another map
    trail.See(5000, 7, 5, "a.map");
    EXPECT_EQ(Cells(trail.On("a.map", 5000)), (std::vector<std::pair<int, int>>{{5, 5}, {6, 5}, {7, 5}}));
    EXPECT_EQ(Cells(trail.On("b.map", 5000)), (std::vector<std::pair<int, int>>{{6, 5}}));
    EXPECT_TRUE(trail.On("c.map", 5000).empty());
    EXPECT_EQ(trail.Size(), 4u);
}

// Ten minutes, and never more than 600 steps however fast the player goes.
TEST(PlayerTrailTest, TenMinutesAndAtMost600Steps)
{
    PlayerTrail trail;
    for (int second = 0; second < 900; ++second) // a step a second for 15 minutes
        trail.See(second * 1000, 1 + second % 50, 1 + second / 50, "a.map");
    EXPECT_EQ(trail.Size(), PlayerTrail::kMostSteps);
    const std::vector<TrailStep> kept = trail.On("a.map", 899 * 1000);
    ASSERT_EQ(kept.size(), 600u);
    EXPECT_EQ(kept.front().atMs, 300 * 1000);
    EXPECT_EQ(kept.back().atMs, 899 * 1000);
    // Later, only what is younger than ten minutes is told.
    EXPECT_EQ(trail.On("a.map", 1200 * 1000).size(), 300u);
    EXPECT_TRUE(trail.On("a.map", 1500 * 1000).empty());

    PlayerTrail fast;
    for (int step = 0; step < 5000; ++step)
        fast.See(step, 1 + step % 2, 1, "a.map");
    EXPECT_EQ(fast.Size(), PlayerTrail::kMostSteps);
    EXPECT_EQ(fast.On("a.map", 4999).front().atMs, 4400);
}

} // namespace
