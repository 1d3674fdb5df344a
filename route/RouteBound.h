#pragma once
// A quick search for a route, best first by the steps so far plus `weight`
// times the straight distance left (the number of steps it would take with
// nothing in the way). With weight 1 this is A*: the straight distance never
// overestimates, so the route found is a shortest one. With weight 2 it
// heads for the goal and turns aside only where it must: far fewer cells,
// and a route that need not be a shortest one.
//
// Contract:
// - Both ends walkable and different (the caller checks).
// - Gives up (kGaveUp) after `budget` cells, or when `cancel` is set; tells
//   kNoRoute when it went through every cell it could reach from `from`
//   without reaching `to`.
// - Memory: a table of 16 to 32 bytes for each cell it looked at.

#include "route/RouteGrid.h"
#include "route/RouteSteps.h"

#include <atomic>
#include <cstddef>
#include <optional>

struct QuickRoute {
    enum Outcome { kFound, kNoRoute, kGaveUp } outcome;
    std::optional<RouteSteps> steps; // when found
};

QuickRoute SearchHeadingForGoal(const RouteGrid& grid, Cell from, Cell to, int weight, std::size_t budget,
                                const std::atomic<bool>* cancel, RouteSearchCost* cost);
