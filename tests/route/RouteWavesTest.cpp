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

// The waves alone: a bound at or above the shortest length gives a shortest
// route, one below it none.
TEST(RouteWavesTest, ABoundGivesAShortestRouteOrNone)
{
    std::mt19937 random(21);
    const TMatrix maps[] = {RandomMatrix(40, 40, 0.35, random), RandomMatrix(12, 300, 0.3, random),
                            TightMaze(300, 200, 3), ChainedRooms(300, 200, 3)};
    for (const TMatrix& walk : maps) {
        const RouteGrid grid(walk);
        for (int pair = 0; pair < 15; ++pair) {
            const Cell from = RandomWalkableCell(walk, random), to = RandomWalkableCell(walk, random);
            const std::optional<Route> reference = FindRouteBreadthFirst(walk, from, to);
            if (from == to || !reference)
                continue;
            const std::int64_t shortest = std::int64_t(reference->size()) - 1;
            const std::int64_t straight = std::max(std::abs(from.x - to.x), std::abs(from.y - to.y));
            for (const std::optional<std::int64_t> bound :
                 {std::optional<std::int64_t>(), std::optional<std::int64_t>(shortest), std::optional<std::int64_t>(shortest + 3),
                  std::optional<std::int64_t>(shortest - 1), std::optional<std::int64_t>(straight)}) {
                SCOPED_TRACE(CellText(from) + " to " + CellText(to) + ", bound " + (bound ? std::to_string(*bound) : "none"));
                const std::optional<RouteSteps> steps = SearchWaves(grid, from, to, bound, nullptr, nullptr);
                if (bound && *bound < shortest) {
                    EXPECT_FALSE(steps);
                    continue;
                }
                ASSERT_TRUE(steps);
                EXPECT_EQ(std::int64_t(steps->Count()), shortest);
                EXPECT_EQ(RouteFault(walk, steps->Cells(), from, to), "");
            }
        }
    }
}

} // namespace
