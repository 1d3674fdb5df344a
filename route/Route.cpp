#include "route/Route.h"

#include "route/RouteBound.h"
#include "route/RouteGrid.h"
#include "route/RouteWaves.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace {

std::int64_t StraightDistance(Cell a, Cell b)
{
    return std::max(std::abs(a.x - b.x), std::abs(a.y - b.y));
}

// A quick search's share: `perStep` cells per step of the straight
// distance, and never a table of more than half a byte per cell. (On
// open ground with a pillar in 500 cells A* takes up to 5 cells a step.)
std::size_t QuickBudget(const RouteGrid& grid, Cell from, Cell to, std::size_t perStep)
{
    const std::size_t cells = std::size_t(grid.Columns()) * std::size_t(grid.Rows());
    return std::min(perStep * std::size_t(StraightDistance(from, to)) + 1024, cells / 512 + 256);
}

// The searches one after the other, as the header tells; add(cost) for each.
template <typename AddCost>
std::optional<RouteSteps> Search(const RouteGrid& grid, Cell from, Cell to, const std::atomic<bool>* cancel, AddCost&& add)
{
    RouteSearchCost cost;
    QuickRoute quick = SearchHeadingForGoal(grid, from, to, 2, QuickBudget(grid, from, to, 4), cancel, &cost);
    add(cost);
    if (quick.outcome == QuickRoute::kNoRoute)
        return std::nullopt;
    if (!quick.steps) {
        std::optional<RouteSteps> steps = SearchWaves(grid, from, to, std::nullopt, cancel, &cost);
        add(cost);
        return steps;
    }
    const std::int64_t straight = StraightDistance(from, to), known = std::int64_t(quick.steps->Count());
    if (known == straight)
        return std::move(quick.steps); // no route is shorter than the straight distance
    quick.steps.reset();
    // Nearly straight, as on open ground: A* soon finds a shortest route.
    if ((known - straight) * 64 <= straight + 512) {
        QuickRoute shortest = SearchHeadingForGoal(grid, from, to, 1, QuickBudget(grid, from, to, 8), cancel, &cost);
        add(cost);
        if (shortest.outcome == QuickRoute::kFound)
            return std::move(shortest.steps);
    }
    // Bounded by the quick route's length the waves keep to the cells from
    // which it can be beaten. Most routes are much closer to the straight
    // distance, and a tighter bound leaves out far more: the waves try a few
    // first, each costing little when it fails.
    for (const std::int64_t bound : {straight, straight + (known - straight) / 8, straight + (known - straight) / 4,
                                     straight + (known - straight) / 2, known}) {
        std::optional<RouteSteps> steps = SearchWaves(grid, from, to, bound, cancel, &cost);
        add(cost);
        if (steps || bound == known)
            return steps;
    }
    return std::nullopt;
}

} // namespace

std::optional<RouteSteps> FindRouteSteps(const RouteGrid& grid, Cell from, Cell to, const std::atomic<bool>* cancel,
                                         RouteSearchCost* cost)
{
    if (cost)
        *cost = {};
    if (!grid.IsWalkable(from) || !grid.IsWalkable(to))
        return std::nullopt;
    if (from == to)
        return RouteSteps(from, 0);
    RouteSearchCost spent;
    auto add = [&spent](const RouteSearchCost& part) {
        spent = {std::max(spent.memoryBytes, part.memoryBytes), spent.expandedCells + part.expandedCells};
    };
    std::optional<RouteSteps> steps = Search(grid, from, to, cancel, add);
    if (cost)
        *cost = spent;
    return steps;
}

std::optional<Route> FindRoute(const TMatrix& walk, Cell from, Cell to, RouteSearchCost* cost)
{
    const std::optional<RouteSteps> steps = FindRouteSteps(RouteGrid(walk), from, to, nullptr, cost);
    return steps ? std::optional<Route>(steps->Cells()) : std::nullopt;
}

std::optional<RouteSteps> FindRouteSteps(const TMatrix& walk, Cell from, Cell to)
{
    return FindRouteSteps(RouteGrid(walk), from, to);
}

std::optional<Route> FindRouteBreadthFirst(const TMatrix& walk, Cell from, Cell to, RouteSearchCost* cost)
{
    const int columns = walk.Columns(), rows = walk.Rows();
    if (columns > 65535 || rows > 65535)
        throw std::invalid_argument("a route is searched on at most 65535 x 65535 cells");
    if (!IsWalkable(walk, from) || !IsWalkable(walk, to))
        return std::nullopt;
    const std::size_t cells = std::size_t(columns) * std::size_t(rows);
    auto indexOf = [rows](int x, int y) { return std::size_t(x) * std::size_t(rows) + std::size_t(y); };
    std::vector<std::uint64_t> seen((cells + 63) / 64);
    std::vector<std::uint8_t> stepInto(cells);
    std::vector<std::uint32_t> queue{std::uint32_t(indexOf(from.x, from.y))};
    seen[queue[0] / 64] |= 1ULL << (queue[0] % 64);
    const std::size_t goal = indexOf(to.x, to.y);
    bool reached = from == to;
    std::size_t head = 0;
    for (; head < queue.size() && !reached; ++head) {
        const int x = int(queue[head] / std::uint32_t(rows)), y = int(queue[head] % std::uint32_t(rows));
        for (int step = 0; step < 8 && !reached; ++step) {
            const int nextX = x + kStepX[step], nextY = y + kStepY[step];
            if (nextX < 0 || nextY < 0 || nextX >= columns || nextY >= rows || walk[nextX][nextY] == kWalkBlocked)
                continue;
            const std::size_t next = indexOf(nextX, nextY);
            if (seen[next / 64] >> (next % 64) & 1)
                continue;
            seen[next / 64] |= 1ULL << (next % 64);
            stepInto[next] = std::uint8_t(step);
            queue.push_back(std::uint32_t(next));
            reached = next == goal;
        }
    }
    if (cost)
        *cost = {seen.capacity() * 8 + stepInto.capacity() + queue.capacity() * 4, head};
    if (!reached)
        return std::nullopt;
    Route route{to};
    for (Cell at = to; at != from;) {
        const int step = stepInto[indexOf(at.x, at.y)];
        at = Cell{at.x - kStepX[step], at.y - kStepY[step]};
        route.push_back(at);
    }
    std::reverse(route.begin(), route.end());
    return route;
}
