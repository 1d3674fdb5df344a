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

// A route kept as steps walks the same cells as the route of cells, at
// half a byte a step.
TEST(RouteStepsTest, StepsWalkTheRouteAtHalfAByteAStep)
{
    std::mt19937 random(3);
    for (int round = 0; round < 30; ++round) {
        const TMatrix walk = RandomMatrix(20, 15, 0.3, random);
        const Cell from = RandomWalkableCell(walk, random), to = RandomWalkableCell(walk, random);
        const std::optional<RouteSteps> steps = FindRouteSteps(walk, from, to);
        const std::optional<Route> reference = FindRouteBreadthFirst(walk, from, to);
        ASSERT_EQ(steps.has_value(), reference.has_value());
        if (!steps)
            continue;
        const Route cells = steps->Cells();
        EXPECT_EQ(cells.size(), reference->size());
        EXPECT_EQ(RouteFault(walk, cells, from, to), "");
        EXPECT_EQ(steps->MemoryBytes(), (steps->Count() + 1) / 2);
    }
}

} // namespace
