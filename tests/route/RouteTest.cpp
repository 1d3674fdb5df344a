#include "map/MapReader.h"
#include "route/Route.h"
#include "route/RouteGrid.h"
#include "route/RouteWaves.h"
#include "tests/support/MapBytes.h"
#include "tests/support/RouteMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <sstream>
#include <stdexcept>

namespace {

constexpr std::uint8_t X = kWalkBlocked;
constexpr std::uint8_t o = kWalkOpen;

using Search = std::optional<Route> (*)(const TMatrix&, Cell, Cell, RouteSearchCost*);

struct NamedSearch {
    const char* name;
    Search search;
};

// Every case holds for the route search and for the breadth-first reference.
class RouteCaseTest : public ::testing::TestWithParam<NamedSearch> {
protected:
    static std::optional<Route> Find(const TMatrix& walk, Cell from, Cell to)
    {
        return GetParam().search(walk, from, to, nullptr);
    }
};

std::string SearchName(const ::testing::TestParamInfo<NamedSearch>& info)
{
    return info.param.name;
}

void PrintTo(const NamedSearch& search, std::ostream* out)
{
    *out << search.name;
}

INSTANTIATE_TEST_SUITE_P(Searches, RouteCaseTest,
                         ::testing::Values(NamedSearch{"Route", FindRoute},
                                           NamedSearch{"BreadthFirst", FindRouteBreadthFirst}),
                         SearchName);

TEST_P(RouteCaseTest, StartAtTheGoalIsOneCell)
{
    EXPECT_EQ(Find(TMatrix(3, 3), {1, 2}, {1, 2}), Route({{1, 2}}));
    EXPECT_EQ(Find(TMatrix(1, 1), {0, 0}, {0, 0}), Route({{0, 0}}));
}

TEST_P(RouteCaseTest, BlockedOrOutsideEndsHaveNoRoute)
{
    // Columns are listed first: (1, 1) and (2, 0) are blocked.
    const TMatrix walk{{o, o, o}, {o, X, o}, {X, o, o}, {o, o, o}};
    EXPECT_FALSE(Find(walk, {1, 1}, {3, 2}));
    EXPECT_FALSE(Find(walk, {0, 0}, {2, 0}));
    EXPECT_FALSE(Find(walk, {1, 1}, {1, 1}));
    for (const Cell outside : {Cell{-1, 0}, Cell{0, -1}, Cell{4, 0}, Cell{0, 3}, Cell{4, 3}}) {
        SCOPED_TRACE(CellText(outside));
        EXPECT_FALSE(Find(walk, outside, {0, 0}));
        EXPECT_FALSE(Find(walk, {0, 0}, outside));
        EXPECT_FALSE(Find(walk, outside, outside));
    }
}

TEST_P(RouteCaseTest, MapsWithoutCellsHaveNoRoute)
{
    for (const TMatrix& empty : {TMatrix(), TMatrix(0, 5), TMatrix(5, 0)}) {
        EXPECT_FALSE(Find(empty, {0, 0}, {0, 0}));
        EXPECT_FALSE(Find(empty, {0, 0}, {0, 1}));
    }
}

TEST_P(RouteCaseTest, WalledInGoalIsUnreachable)
{
    // (3, 2) inside a ring of blocked cells, whose corners leave no gap.
    TMatrix ringed(6, 5);
    for (int x = 2; x <= 4; ++x)
        for (int y = 1; y <= 3; ++y)
            ringed[x][y] = (x == 3 && y == 2) ? o : X;
    EXPECT_FALSE(Find(ringed, {0, 0}, {3, 2}));
    EXPECT_FALSE(Find(ringed, {3, 2}, {5, 4}));
    EXPECT_EQ(Find(ringed, {0, 0}, {5, 4})->size(), 8u); // 7 steps under the ring

    const TMatrix splitByAColumn{{o, o, o}, {X, X, X}, {o, o, o}};
    EXPECT_FALSE(Find(splitByAColumn, {0, 0}, {2, 2}));

    // Halves too large to be walked round before the search starts.
    TMatrix halves(400, 300);
    std::fill(halves[200], halves[201], X);
    EXPECT_FALSE(Find(halves, {0, 0}, {399, 299}));
    EXPECT_FALSE(Find(halves, {399, 0}, {0, 299}));
    EXPECT_EQ(Find(halves, {201, 0}, {399, 299})->size(), 300u);
}

TEST_P(RouteCaseTest, SingleRowAndSingleColumnMapsAreWalkedStraight)
{
    for (int length = 2; length <= 6; ++length) {
        SCOPED_TRACE(length);
        Route along;
        for (int i = 0; i < length; ++i)
            along.push_back({0, i});
        EXPECT_EQ(Find(TMatrix(1, length), {0, 0}, {0, length - 1}), along);
        for (Cell& cell : along)
            std::swap(cell.x, cell.y);
        EXPECT_EQ(Find(TMatrix(length, 1), {0, 0}, {length - 1, 0}), along);
        Route back(along.rbegin(), along.rend());
        EXPECT_EQ(Find(TMatrix(length, 1), {length - 1, 0}, {0, 0}), back);
    }
    EXPECT_FALSE(Find(TMatrix{{o, o, X, o}}, {0, 0}, {0, 3}));
    EXPECT_FALSE(Find(TMatrix{{o}, {X}, {o}}, {0, 0}, {2, 0}));
}

TEST_P(RouteCaseTest, DiagonalStepsSqueezeBetweenTwoBlockedCells)
{
    const TMatrix crossed{{o, X}, {X, o}};
    EXPECT_EQ(Find(crossed, {0, 0}, {1, 1}), Route({{0, 0}, {1, 1}}));
    EXPECT_EQ(Find(crossed, {1, 1}, {0, 0}), Route({{1, 1}, {0, 0}}));

    // A wall along the anti-diagonal x + y = 4 is crossed only by squeezing
    // between two of its cells; the diagonal through (2, 2) is closed.
    TMatrix wall(5, 5);
    for (int x = 0; x < 5; ++x)
        wall[x][4 - x] = X;
    const std::optional<Route> route = Find(wall, {0, 0}, {4, 4});
    ASSERT_TRUE(route);
    EXPECT_EQ(route->size(), 6u);
    EXPECT_EQ(RouteFault(wall, *route, {0, 0}, {4, 4}), "");
}

TEST_P(RouteCaseTest, RoundAWallThroughItsOnlyGap)
{
    // Column 2 is blocked but for (2, 4): 4 steps down to the gap, 4 back up.
    TMatrix walk(5, 5);
    for (int y = 0; y < 4; ++y)
        walk[2][y] = X;
    const std::optional<Route> route = Find(walk, {0, 0}, {4, 0});
    ASSERT_TRUE(route);
    EXPECT_EQ(route->size(), 9u);
    EXPECT_EQ((*route)[4], Cell({2, 4}));
    EXPECT_EQ(RouteFault(walk, *route, {0, 0}, {4, 0}), "");
}

TEST_P(RouteCaseTest, MapsWiderThanAHeaderAllowsAreRefused)
{
    EXPECT_THROW(Find(TMatrix(65536, 0), {0, 0}, {0, 0}), std::invalid_argument);
    EXPECT_THROW(Find(TMatrix(0, 65536), {0, 0}, {0, 0}), std::invalid_argument);
}

TEST(RouteFlagTest, FlaggedCellsCanBeEnteredEvenWhereTheyBlock)
{
    // One row of four cells: open, flagged and blocked (blue), blocked with
    // one flag bit (red), open.
    const MapLoad load = ReadMapBytes(MapHeaderBytes(4, 1) + CellBytes(0) + CellBytes(200, 0x80, 0x80) +
                                      CellBytes(200, 0x80, 0x00) + CellBytes(0));
    EXPECT_EQ(FindRoute(load.matrix, {0, 0}, {1, 0}), Route({{0, 0}, {1, 0}}));
    EXPECT_FALSE(FindRoute(load.matrix, {0, 0}, {3, 0}));
}

// Many random maps and pairs: the route is a legal walk exactly as long as
// the breadth-first one, and both find one or neither does.
constexpr double kRoomMaze = -1, kChainedRooms = -2, kTightMaze = -3;

struct RandomMaps {
    const char* name;
    int maxColumns, maxRows;
    double blockedChance; // or, for rooms and corridors, kRoomMaze, kChainedRooms or kTightMaze
    int maps;
};

class RouteDifferentialTest : public ::testing::TestWithParam<RandomMaps> {
protected:
    static constexpr int kPairsPerMap = 12;
};

std::string MapsName(const ::testing::TestParamInfo<RandomMaps>& info)
{
    return info.param.name;
}

void PrintTo(const RandomMaps& maps, std::ostream* out)
{
    *out << maps.maps << " maps up to " << maps.maxColumns << " x " << maps.maxRows;
}

TEST_P(RouteDifferentialTest, RouteIsAsShortAsBreadthFirst)
{
    const RandomMaps& kind = GetParam();
    std::mt19937 random(std::uint32_t(kind.maxColumns * 1000 + kind.maxRows));
    int reached = 0, unreached = 0;
    for (int map = 0; map < kind.maps; ++map) {
        const int columns = std::uniform_int_distribution<int>(1, kind.maxColumns)(random);
        const int rows = std::uniform_int_distribution<int>(1, kind.maxRows)(random);
        const TMatrix walk = kind.blockedChance == kRoomMaze      ? RoomMaze(columns, rows, random())
                             : kind.blockedChance == kChainedRooms ? ChainedRooms(columns, rows, random())
                             : kind.blockedChance == kTightMaze    ? TightMaze(columns, rows, random())
                                                                   : RandomMatrix(columns, rows, kind.blockedChance, random);
        const bool walkable = std::any_of(walk[0], walk[0] + std::size_t(columns) * std::size_t(rows),
                                          [](std::uint8_t value) { return value != kWalkBlocked; });
        // Mostly walkable ends; the others anywhere up to one cell past the edges.
        std::uniform_int_distribution<int> column(-1, columns), row(-1, rows);
        auto end = [&] {
            return walkable && random() % 4 != 0 ? RandomWalkableCell(walk, random) : Cell{column(random), row(random)};
        };
        for (int pair = 0; pair < kPairsPerMap; ++pair) {
            const Cell from = end(), to = end();
            SCOPED_TRACE("map " + std::to_string(map) + " (" + std::to_string(columns) + " x " +
                         std::to_string(rows) + ") from " + CellText(from) + " to " + CellText(to));
            const std::optional<Route> route = FindRoute(walk, from, to);
            const std::optional<Route> reference = FindRouteBreadthFirst(walk, from, to);
            ASSERT_EQ(bool(route), bool(reference));
            if (!route) {
                ++unreached;
                continue;
            }
            ++reached;
            EXPECT_EQ(route->size(), reference->size());
            EXPECT_EQ(RouteFault(walk, *route, from, to), "");
            EXPECT_EQ(RouteFault(walk, *reference, from, to), "");
        }
    }
    EXPECT_GT(reached, kind.maps * kPairsPerMap / 4);
    EXPECT_GT(unreached, 0);
}

INSTANTIATE_TEST_SUITE_P(Maps, RouteDifferentialTest,
                         ::testing::Values(RandomMaps{"Open", 40, 40, 0.1, 300},
                                           RandomMaps{"Cluttered", 40, 40, 0.3, 300},
                                           RandomMaps{"NearlyCutApart", 40, 40, 0.55, 300},
                                           RandomMaps{"Narrow", 3, 80, 0.25, 300},
                                           RandomMaps{"Flat", 80, 3, 0.25, 300},
                                           RandomMaps{"Tall", 12, 300, 0.3, 200},
                                           RandomMaps{"Small", 5, 5, 0.3, 500},
                                           RandomMaps{"RoomMaze", 300, 200, kRoomMaze, 40},
                                           RandomMaps{"ChainedRooms", 300, 200, kChainedRooms, 40},
                                           RandomMaps{"TightMaze", 300, 200, kTightMaze, 40}),
                         MapsName);

// On large maps the quick search's route bounds the waves, or is the
// answer itself where nothing stands in the way: the same lengths still.
TEST(RouteLargeMapTest, LargeMapsOfEveryKindGetRoutesAsShortAsBreadthFirst)
{
    std::mt19937 random(5);
    const TMatrix maps[] = {RandomMatrix(1500, 1000, 0.002, random), ChainedRooms(1500, 1000, 7), TightMaze(1500, 1000, 7)};
    for (const TMatrix& walk : maps) {
        for (int pair = 0; pair < 6; ++pair) {
            const Cell from = RandomWalkableCell(walk, random), to = RandomWalkableCell(walk, random);
            SCOPED_TRACE(CellText(from) + " to " + CellText(to));
            RouteSearchCost cost;
            const std::optional<Route> route = FindRoute(walk, from, to, &cost);
            const std::optional<Route> reference = FindRouteBreadthFirst(walk, from, to);
            ASSERT_EQ(bool(route), bool(reference));
            if (!route)
                continue;
            EXPECT_EQ(route->size(), reference->size());
            EXPECT_EQ(RouteFault(walk, *route, from, to), "");
            if (&walk == &maps[0]) { // the quick search answers: a few cells a step
                EXPECT_LE(cost.expandedCells, 4 * route->size());
            }
        }
    }
}

TEST(RouteMemoryTest, TheSearchKeepsToOneBytePerCell)
{
    for (TMatrix (*make)(int, int, std::uint32_t) : {RoomMaze, TightMaze, ChainedRooms}) {
        const TMatrix walk = make(1000, 800, 11);
        std::mt19937 random(12);
        for (int pair = 0; pair < 20; ++pair) {
            const Cell from = RandomWalkableCell(walk, random), to = RandomWalkableCell(walk, random);
            RouteSearchCost cost;
            ASSERT_TRUE(FindRoute(walk, from, to, &cost));
            EXPECT_LE(cost.memoryBytes + RouteGrid(walk).MemoryBytes(), 1000u * 800)
                << CellText(from) << " to " << CellText(to);
        }
    }
}

} // namespace
