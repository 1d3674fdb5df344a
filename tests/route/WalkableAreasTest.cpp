// The walkable areas of a map: two cells share an area exactly when a route
// joins them.

#include "route/Route.h"
#include "route/WalkableAreas.h"
#include "tests/support/RouteMaps.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr std::uint8_t X = kWalkBlocked;
constexpr std::uint8_t o = kWalkOpen;
constexpr std::uint8_t F = kWalkFlagged;

TEST(WalkableAreasTest, AreasAreWhatRoutesJoin)
{
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        const TMatrix walk = RandomMatrix(1 + int(random() % 12), 1 + int(random() % 12), 0.45, random);
        const std::optional<WalkableAreas> areas = WalkableAreas::Of(walk);
        ASSERT_TRUE(areas.has_value());
        for (int a = 0; a < walk.Columns() * walk.Rows(); ++a) {
            for (int b = 0; b < walk.Columns() * walk.Rows(); b += 3) {
                const Cell from{a / walk.Rows(), a % walk.Rows()}, to{b / walk.Rows(), b % walk.Rows()};
                EXPECT_EQ(areas->Joined(from, to), FindRouteBreadthFirst(walk, from, to).has_value())
                    << "round " << round << ": " << CellText(from) << " to " << CellText(to);
            }
        }
    }
}

TEST(WalkableAreasTest, CornersJoinFlaggedCellsCountAndNothingOutsideHasAnArea)
{
    // Columns, top to bottom.
    const TMatrix walk{{o, X, X}, {X, o, X}, {X, X, F}, {X, X, X}, {o, o, X}};
    const std::optional<WalkableAreas> areas = WalkableAreas::Of(walk);
    ASSERT_TRUE(areas.has_value());
    EXPECT_TRUE(areas->Joined({0, 0}, {2, 2})); // corner to corner, through a flagged cell
    EXPECT_FALSE(areas->Joined({0, 0}, {4, 0}));
    EXPECT_TRUE(areas->Joined({4, 0}, {4, 1}));
    EXPECT_EQ(areas->AreaCount(), 2u);
    EXPECT_EQ(areas->AreaOf({1, 0}), std::nullopt); // blocked
    EXPECT_EQ(areas->AreaOf({5, 0}), std::nullopt);
    EXPECT_EQ(areas->AreaOf({0, 3}), std::nullopt);
    EXPECT_EQ(areas->AreaOf({-1, 0}), std::nullopt);
    EXPECT_FALSE(areas->Joined({1, 0}, {1, 0}));
}

// Every other cell of a column open: a run a cell, the most there can be.
TEST(WalkableAreasTest, AtMostFourBytesACellAndEightAColumn)
{
    TMatrix board(300, 301);
    for (int x = 0; x < 300; ++x)
        for (int y = 0; y < 301; ++y)
            if ((x + y) % 2)
                board[x][y] = X;
    const std::optional<WalkableAreas> areas = WalkableAreas::Of(board);
    ASSERT_TRUE(areas.has_value());
    EXPECT_LE(areas->MemoryBytes(), 4u * 300 * 301 + 8 * 300 + 8);
    EXPECT_EQ(areas->AreaCount(), 1u); // diagonal steps join the whole board

    std::atomic<bool> cancel{true};
    EXPECT_FALSE(WalkableAreas::Of(board, &cancel).has_value());
}

} // namespace
