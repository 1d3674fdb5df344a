// The routes of one map asked many times: before, while and after its areas
// and core are worked out, from several threads, each asker keeping its goal.

#include "route/MapRoutes.h"
#include "tests/support/RouteMaps.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

void WaitForThePreparation(const MapRoutes& routes)
{
    for (int tries = 0; routes.IsPreparing() && tries < 2000; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(routes.IsPreparing());
}

// Shortest and walkable, or none exactly when a plain search finds none.
void ExpectShortest(const TMatrix& walk, const MapRoutes::Found& found, Cell from, Cell to)
{
    const std::optional<Route> plain = FindRouteBreadthFirst(walk, from, to);
    ASSERT_FALSE(found.failed);
    ASSERT_EQ(found.route.has_value(), plain.has_value()) << CellText(from) << " to " << CellText(to);
    if (plain) {
        EXPECT_EQ(found.route->size(), plain->size()) << CellText(from) << " to " << CellText(to);
        EXPECT_EQ(RouteFault(walk, *found.route, from, to), "");
    }
}

TEST(MapRoutesTest, EveryRouteIsShortestBeforeWhileAndAfterTheMapIsWorkedOut)
{
    const auto walk = std::make_shared<const TMatrix>(TightMaze(300, 220, 3));
    MapRoutes routes(walk);
    std::mt19937 random(11);
    const Cell goal = RandomWalkableCell(*walk, random);
    MapRoutes::KeptGoal kept;

    // Before: nothing worked out, the map's bits searched.
    const Cell first = RandomWalkableCell(*walk, random);
    ExpectShortest(*walk, routes.Find(first, goal, nullptr, &kept), first, goal);
    EXPECT_FALSE(routes.HasAreas());
    EXPECT_FALSE(routes.IsPreparing());

    // While: a search never waits for the working out.
    routes.Prepare();
    for (int i = 0; i < 5; ++i) {
        const Cell from = RandomWalkableCell(*walk, random);
        ExpectShortest(*walk, routes.Find(from, goal, nullptr, &kept), from, goal);
    }

    // After: through the core, the goal's side kept from one route to the next.
    WaitForThePreparation(routes);
    EXPECT_TRUE(routes.HasAreas());
    ASSERT_TRUE(routes.HasCore());
    for (int i = 0; i < 10; ++i) {
        const Cell from = RandomWalkableCell(*walk, random);
        ExpectShortest(*walk, routes.Find(from, goal, nullptr, &kept), from, goal);
        EXPECT_EQ(kept.Goal(), goal);
    }
    const Cell other = RandomWalkableCell(*walk, random);
    ExpectShortest(*walk, routes.Find(goal, other, nullptr, &kept), goal, other);
    EXPECT_EQ(kept.Goal(), other);
}

TEST(MapRoutesTest, CellsThatCannotBeJoinedAreRuledOutWithoutASearch)
{
    // Two halves split by a wall down column 5, and a blocked cell.
    TMatrix walk(11, 6);
    for (int y = 0; y < 6; ++y)
        walk[5][y] = kWalkBlocked;
    walk[8][2] = kWalkBlocked;
    MapRoutes routes(std::make_shared<const TMatrix>(walk));
    EXPECT_TRUE(routes.IsRuledOut({8, 2}, {9, 2}));  // blocked
    EXPECT_TRUE(routes.IsRuledOut({-1, 0}, {9, 2})); // outside
    EXPECT_FALSE(routes.IsRuledOut({0, 0}, {10, 5})); // not yet known
    EXPECT_FALSE(routes.Find({0, 0}, {10, 5}).route);
    routes.Prepare();
    WaitForThePreparation(routes);
    EXPECT_TRUE(routes.IsRuledOut({0, 0}, {10, 5}));
    EXPECT_FALSE(routes.IsRuledOut({6, 0}, {10, 5}));
    ExpectShortest(walk, routes.Find({6, 0}, {10, 5}), {6, 0}, {10, 5});
}

TEST(MapRoutesTest, SearchesOnSeveralThreadsAtOnceAreEachShortest)
{
    const auto walk = std::make_shared<const TMatrix>(RoomMaze(260, 200, 5));
    MapRoutes routes(walk);
    routes.Prepare();
    std::vector<std::thread> askers;
    std::vector<std::vector<std::pair<Cell, Cell>>> asked(4);
    std::vector<std::vector<MapRoutes::Found>> found(4);
    for (std::size_t t = 0; t < asked.size(); ++t) {
        std::mt19937 random(std::uint32_t(100 + t));
        for (int i = 0; i < 8; ++i)
            asked[t].push_back({RandomWalkableCell(*walk, random), RandomWalkableCell(*walk, random)});
        askers.emplace_back([&, t] {
            MapRoutes::KeptGoal kept;
            for (const auto& [from, to] : asked[t])
                found[t].push_back(routes.Find(from, to, nullptr, &kept));
        });
    }
    for (std::thread& asker : askers)
        asker.join();
    for (std::size_t t = 0; t < asked.size(); ++t)
        for (std::size_t i = 0; i < asked[t].size(); ++i)
            ExpectShortest(*walk, found[t][i], asked[t][i].first, asked[t][i].second);
}

TEST(MapRoutesTest, ACancelledSearchEndsWithNoneAndTheMapMayGoWhileWorkedOut)
{
    const auto walk = std::make_shared<const TMatrix>(TightMaze(2000, 1500, 9));
    std::atomic<bool> cancelled{true};
    {
        MapRoutes routes(walk);
        routes.Prepare();
        EXPECT_FALSE(routes.Find({1, 1}, {1998, 1498}, &cancelled).route);
    } // gone while the areas or the core are worked out: the thread is cancelled and waited for
    EXPECT_EQ(walk.use_count(), 1);
}

} // namespace
