#include "route/Route.h"
#include "route/RouteCore.h"
#include "tests/support/RouteMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <thread>

namespace {

constexpr std::uint8_t X = kWalkBlocked;
constexpr std::uint8_t o = kWalkOpen;

RouteCore CoreOf(const TMatrix& walk)
{
    std::optional<RouteCore> core = RouteCore::Of(walk, nullptr, std::numeric_limits<double>::infinity());
    EXPECT_TRUE(core);
    return std::move(*core);
}

// The route through the core: legal, and as long as the breadth-first one.
void ExpectShortest(const TMatrix& walk, const RouteCore& core, Cell from, Cell to)
{
    SCOPED_TRACE(CellText(from) + " to " + CellText(to));
    const std::optional<RouteSteps> steps = core.Find(from, to);
    const std::optional<Route> reference = FindRouteBreadthFirst(walk, from, to);
    ASSERT_EQ(bool(steps), bool(reference));
    if (!steps)
        return;
    const Route cells = steps->Cells();
    EXPECT_EQ(cells.size(), reference->size());
    EXPECT_EQ(RouteFault(walk, cells, from, to), "");
}

TEST(RouteCoreTest, EndsThatAreOneCellBlockedOrOutsideAsTheOtherSearches)
{
    const TMatrix walk{{o, o, o}, {o, X, o}, {X, o, o}, {o, o, o}};
    const RouteCore core = CoreOf(walk);
    EXPECT_EQ(core.Find({1, 2}, {1, 2})->Cells(), Route({{1, 2}}));
    for (const Cell end : {Cell{1, 1}, Cell{2, 0}, Cell{-1, 0}, Cell{0, -1}, Cell{4, 0}, Cell{0, 3}}) {
        SCOPED_TRACE(CellText(end));
        EXPECT_FALSE(core.Find(end, {0, 0}));
        EXPECT_FALSE(core.Find({0, 0}, end));
    }
    EXPECT_FALSE(CoreOf(TMatrix(0, 5)).Find({0, 0}, {0, 1}));
}

TEST(RouteCoreTest, UnjoinedCellsAndCellsAloneHaveNoRoute)
{
    // Three pieces: a lone cell at (0, 0), a column at x = 2, a ring round
    // the cells on the right with their middle walled in.
    TMatrix walk(9, 7);
    std::fill(walk[0], walk[0] + 9 * 7, X);
    walk[0][0] = o;
    std::fill(walk[2], walk[3], o);
    for (int x = 4; x <= 8; ++x)
        for (int y = 1; y <= 5; ++y)
            walk[x][y] = (x == 4 || x == 8 || y == 1 || y == 5) ? o : (x == 6 && y == 3) ? o : X;
    const RouteCore core = CoreOf(walk);
    EXPECT_TRUE(core.IsCore({0, 0}));
    EXPECT_FALSE(core.Find({0, 0}, {2, 3}));
    EXPECT_FALSE(core.Find({2, 0}, {4, 1}));
    EXPECT_FALSE(core.Find({6, 3}, {4, 4}));
    ExpectShortest(walk, core, {2, 0}, {2, 6});
    // Round the ring, which has no crossing: both ways round are tried.
    for (const Cell from : {Cell{4, 1}, Cell{8, 5}, Cell{6, 1}})
        for (const Cell to : {Cell{4, 5}, Cell{8, 1}, Cell{6, 5}, Cell{8, 3}})
            ExpectShortest(walk, core, from, to);
}

// The distances between core cells, walking on core cells alone, are the
// distances on the whole map: what wearing cells away must keep.
TEST(RouteCoreTest, TheCoreKeepsTheDistancesBetweenItsCells)
{
    std::mt19937 random(31);
    for (int map = 0; map < 60; ++map) {
        const TMatrix walk = map % 3 == 0 ? TightMaze(60, 45, random()) : RandomMatrix(14, 11, 0.1 + 0.1 * (map % 4), random);
        const RouteCore core = CoreOf(walk);
        std::vector<Cell> coreCells;
        for (int x = 0; x < walk.Columns(); ++x)
            for (int y = 0; y < walk.Rows(); ++y)
                if (core.IsCore({x, y}))
                    coreCells.push_back({x, y});
        for (int pair = 0; pair < 8 && !coreCells.empty(); ++pair) {
            const Cell from = coreCells[random() % coreCells.size()], to = coreCells[random() % coreCells.size()];
            TMatrix coreOnly(walk.Columns(), walk.Rows());
            for (int x = 0; x < walk.Columns(); ++x)
                for (int y = 0; y < walk.Rows(); ++y)
                    coreOnly[x][y] = core.IsCore({x, y}) ? o : X;
            const std::optional<Route> inCore = FindRouteBreadthFirst(coreOnly, from, to);
            const std::optional<Route> onMap = FindRouteBreadthFirst(walk, from, to);
            ASSERT_EQ(bool(inCore), bool(onMap)) << "map " << map << ", " << CellText(from) << " to " << CellText(to);
            if (onMap) {
                EXPECT_EQ(inCore->size(), onMap->size()) << "map " << map << ", " << CellText(from) << " to " << CellText(to);
            }
        }
    }
}

// Small maps, every pair of cells: each goal's side kept while the start
// runs over the whole map, in the order the cells lie.
TEST(RouteToGoalTest, EveryPairOfCellsOnSmallMaps)
{
    std::mt19937 random(61);
    for (int map = 0; map < 24; ++map) {
        const TMatrix walk = RandomMatrix(9, 7, 0.1 * (map % 6), random);
        const RouteCore core = CoreOf(walk);
        for (int goalX = 0; goalX < 9; ++goalX) {
            for (int goalY = 0; goalY < 7; ++goalY) {
                const Cell goal{goalX, goalY};
                const RouteToGoal toGoal(core, goal);
                for (int x = 0; x < 9; ++x) {
                    for (int y = 0; y < 7; ++y) {
                        const std::optional<RouteSteps> steps = toGoal.From({x, y});
                        const std::optional<Route> reference = FindRouteBreadthFirst(walk, {x, y}, goal);
                        const std::string pair = "map " + std::to_string(map) + ", " + CellText({x, y}) + " to " + CellText(goal);
                        ASSERT_EQ(bool(steps), bool(reference)) << pair;
                        if (steps) {
                            ASSERT_EQ(steps->Count() + 1, reference->size()) << pair;
                        }
                    }
                }
            }
        }
    }
}

// Every kind of map the route tests search on, many pairs each.
TEST(RouteCoreTest, RoutesAreAsShortAsBreadthFirstOnEveryKindOfMap)
{
    std::mt19937 random(41);
    for (int map = 0; map < 240; ++map) {
        const int kind = map % 8;
        const int columns = kind == 5 ? 1 : 1 + int(random() % 60), rows = kind == 6 ? 1 : 1 + int(random() % 70);
        const TMatrix walk = kind == 0   ? TightMaze(columns * 3, rows * 3, random())
                             : kind == 1 ? RoomMaze(columns * 3, rows * 3, random())
                             : kind == 2 ? ChainedRooms(columns * 3, rows * 3, random())
                                         : RandomMatrix(columns, rows, 0.05 + 0.1 * (map % 6), random);
        const RouteCore core = CoreOf(walk);
        const bool walkable = std::any_of(walk[0], walk[0] + std::size_t(walk.Columns()) * std::size_t(walk.Rows()),
                                          [](std::uint8_t value) { return value != kWalkBlocked; });
        std::uniform_int_distribution<int> column(-1, walk.Columns()), row(-1, walk.Rows());
        auto end = [&] {
            return walkable && random() % 5 != 0 ? RandomWalkableCell(walk, random) : Cell{column(random), row(random)};
        };
        SCOPED_TRACE("map " + std::to_string(map) + " (" + std::to_string(walk.Columns()) + " x " + std::to_string(walk.Rows()) + ")");
        for (int pair = 0; pair < 10; ++pair)
            ExpectShortest(walk, core, end(), end());
    }
}

// On the tight maze most cells wear away, which is the search's gain, and
// the core with a search's own memory keeps within a byte a cell.
TEST(RouteCoreTest, ATightMazeWearsDownToAFewCellsInTwenty)
{
    constexpr int kColumns = 700, kRows = 500;
    const TMatrix walk = TightMaze(kColumns, kRows, 8);
    const std::optional<RouteCore> core = RouteCore::Of(walk);
    ASSERT_TRUE(core);
    const std::size_t walkable = std::size_t(
        std::count_if(walk[0], walk[0] + kColumns * kRows, [](std::uint8_t value) { return value != kWalkBlocked; }));
    EXPECT_LT(core->CoreCells() * 8, walkable);
    std::mt19937 random(2);
    for (int pair = 0; pair < 10; ++pair) {
        const Cell from = RandomWalkableCell(walk, random), to = RandomWalkableCell(walk, random);
        ExpectShortest(walk, *core, from, to);
        RouteSearchCost cost;
        core->Find(from, to, nullptr, &cost);
        EXPECT_LE(core->MemoryBytes() + cost.memoryBytes, std::size_t(kColumns) * kRows);
    }
}

// The goal's side kept from one start to the next, as while the player
// moves: starts near and far in turn, on several threads at once, and after
// a cancelled route, each route still as short as breadth-first.
TEST(RouteToGoalTest, RoutesFromManyStartsToOneGoalStayShortest)
{
    std::mt19937 random(51);
    const TMatrix maps[] = {TightMaze(400, 300, 5), RandomMatrix(90, 70, 0.3, random)};
    for (const TMatrix& walk : maps) {
        const RouteCore core = CoreOf(walk);
        const Cell goal = RandomWalkableCell(walk, random);
        const RouteToGoal toGoal(core, goal);
        EXPECT_EQ(toGoal.From(goal)->Cells(), Route({goal}));
        EXPECT_FALSE(toGoal.From({-1, 0}));
        std::vector<Cell> starts;
        for (int start = 0; start < 30; ++start)
            starts.push_back(RandomWalkableCell(walk, random));
        auto check = [&](std::size_t first, std::size_t step) {
            for (std::size_t at = first; at < starts.size(); at += step) {
                SCOPED_TRACE(CellText(starts[at]) + " to " + CellText(goal));
                const std::optional<RouteSteps> steps = toGoal.From(starts[at]);
                const std::optional<Route> reference = FindRouteBreadthFirst(walk, starts[at], goal);
                ASSERT_EQ(bool(steps), bool(reference));
                if (!steps)
                    continue;
                EXPECT_EQ(steps->Count() + 1, reference->size());
                EXPECT_EQ(RouteFault(walk, steps->Cells(), starts[at], goal), "");
            }
        };
        std::thread other(check, 1, 2);
        check(0, 2);
        other.join();
    }

    // Enough crossings for a search to look at its cancel flag.
    const TMatrix walk = RandomMatrix(500, 500, 0.2, random);
    const RouteCore core = CoreOf(walk);
    const RouteToGoal toGoal(core, RandomWalkableCell(walk, random));
    const Cell far{499, 499};
    const std::atomic<bool> cancel{true};
    if (IsWalkable(walk, far) && IsWalkable(walk, toGoal.Goal()) && core.Crossings() > 2 * 65536) {
        EXPECT_FALSE(toGoal.From(far, &cancel));
        ExpectShortest(walk, core, far, toGoal.Goal());
        EXPECT_EQ(toGoal.From(far)->Count() + 1, FindRouteBreadthFirst(walk, far, toGoal.Goal())->size());
    } else {
        ADD_FAILURE() << "the map leaves the far corner out, or has too few crossings";
    }
}

TEST(RouteCoreTest, OpenGroundDoesNotPayAndACancelledCoreIsNone)
{
    std::mt19937 random(4);
    EXPECT_FALSE(RouteCore::Of(RandomMatrix(300, 300, 0.002, random)));
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(RouteCore::Of(TightMaze(300, 300, 1), &cancel));
}

} // namespace
