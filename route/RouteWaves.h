#pragma once
// Two breadth-first waves, one from each end of a route, advanced as bits.
//
// Contract:
// - Both ends walkable and different (the caller checks). The route is a
//   shortest one, or std::nullopt when the ends are not joined or `cancel`
//   was set.
// - With `bound`, the length of a route known to join the ends: a wave
//   leaves out every cell from which that length cannot be beaten (its steps
//   so far plus the straight distance to the other end exceed it); no
//   shortest route passes there, so the answer is the same, found sooner.
// - With no bound, or a bound at least the shortest route's length: a
//   shortest route. With a bound below it: std::nullopt.
// - Memory: half a byte a cell (two bits of distance modulo 3 for each
//   wave), taken fresh and zeroed by the system page by page as the waves
//   reach them, and the two wave fronts at 16 bytes a tile of 64 cells.

#include "route/RouteGrid.h"
#include "route/RouteSteps.h"

#include <atomic>
#include <cstdint>
#include <optional>

std::optional<RouteSteps> SearchWaves(const RouteGrid& grid, Cell from, Cell to, std::optional<std::int64_t> bound,
                                      const std::atomic<bool>* cancel, RouteSearchCost* cost);
