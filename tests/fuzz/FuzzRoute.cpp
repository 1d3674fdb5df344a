// Any bytes as a small map and two ends: the route, and the route through
// the map's core (RouteCore.h) after another to the same goal, must be legal
// walks as long as the breadth-first one, and all must find one or none.
//
// Input: columns (byte 0, below 64), rows (byte 1, below 160: many tiles of
// 8 x 8 cells each way), the ends'
// x1, y1, x2, y2 (bytes 2 to 5, each taken modulo the side plus 2, less 1,
// so that one cell past each edge is tried too), then one bit per cell,
// column by column, set for blocked; cells past the input's end are open.

#include "route/Route.h"
#include "route/RouteCore.h"
#include "tests/support/RouteMaps.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

int Byte(const std::uint8_t* data, std::size_t size, std::size_t at)
{
    return at < size ? data[at] : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int columns = Byte(data, size, 0) % 64, rows = Byte(data, size, 1) % 160;
    auto coordinate = [&](std::size_t at, int side) { return Byte(data, size, at) % (side + 2) - 1; };
    const Cell from{coordinate(2, columns), coordinate(3, rows)}, to{coordinate(4, columns), coordinate(5, rows)};
    TMatrix walk(columns, rows);
    for (int x = 0; x < columns; ++x) {
        for (int y = 0; y < rows; ++y) {
            const std::size_t bit = std::size_t(x) * std::size_t(rows) + std::size_t(y);
            if (Byte(data, size, 6 + bit / 8) >> (bit % 8) & 1)
                walk[x][y] = kWalkBlocked;
        }
    }

    const std::optional<Route> reference = FindRouteBreadthFirst(walk, from, to);
    if (reference) {
        Check(RouteFault(walk, *reference, from, to).empty());
        Check((reference->size() == 1) == (from == to));
    }
    // Through the core, after a route to the same goal from the cell the
    // ends' coordinates swapped name, which leaves the goal's side half done.
    const std::optional<RouteCore> core = RouteCore::Of(walk, nullptr, std::numeric_limits<double>::infinity());
    const RouteToGoal toGoal(*core, to);
    const Cell before{from.y, from.x};
    const std::optional<RouteSteps> first = toGoal.From(before);
    const std::optional<Route> firstReference = FindRouteBreadthFirst(walk, before, to);
    Check(bool(first) == bool(firstReference) && (!first || first->Count() + 1 == firstReference->size()));
    const std::optional<RouteSteps> throughCore = toGoal.From(from);
    const std::optional<Route> routes[] = {FindRoute(walk, from, to),
                                           throughCore ? std::optional<Route>(throughCore->Cells()) : std::nullopt};
    for (const std::optional<Route>& route : routes) {
        Check(bool(route) == bool(reference));
        if (route) {
            Check(route->size() == reference->size());
            Check(RouteFault(walk, *route, from, to).empty());
        }
    }
    return 0;
}
