#pragma once
// The shortest walk between two cells of a map.
//
// Contract:
// - A step goes from a cell to one of its 8 neighbours and costs 1 in every
//   direction. A cell can be entered unless its walkability value is
//   kWalkBlocked; a diagonal step needs only the cell it enters to be
//   walkable, even between two blocked cells. (A flagged cell holds
//   kWalkFlagged, so it can be entered.)
// - The route lists the cells from `from` to `to`, both included: its number
//   of steps is size() - 1, and from == to gives that one cell. Of several
//   shortest routes any one may come back.
// - std::nullopt when there is none: `from` or `to` is blocked or outside the
//   map (W or H 0 included), or `to` cannot be reached.
// - The map may have up to 65535 columns and 65535 rows, as a map file's
//   header allows; larger throws std::invalid_argument. The search memory
//   comes fresh for every call; when it cannot be had, std::bad_alloc.
//
// How it is found (RouteGrid.h, RouteBound.h, RouteWaves.h): the map is kept
// as bits, one per cell. A quick search that heads for the goal (it counts
// the distance left twice) walks some route, not always a shortest one, and
// gives up after a few cells per step of the straight distance, which in a
// maze it soon does. A route as short as the straight distance is the
// answer. A route nearly as short, as on open ground, has A* (the straight
// distance as its estimate) look for a shortest one, with a larger share.
// Otherwise two breadth-first waves, one from each end, grow a step at a
// time, a tile of 8 x 8 cells advanced by each word operation, until they
// touch. Bounded by a length some route has, a wave leaves out every cell
// from which that length cannot be beaten; the waves try the straight
// distance and a few lengths between it and the quick route's first, as a
// tight bound leaves out much more. The route is read back from each cell's
// distance modulo 3, two bits a cell for each wave.
//
// Many searches on one map (the window asks every second while the player
// moves): RouteCore.h works the map out once, worn down to a thin core that
// keeps every distance, and then searches up from both ends to the core and
// across its crossings. On a maze of small rooms and 2-wide corridors, where
// a word operation of the waves reaches a handful of cells, it searches a
// few hundredths of the cells; the working out costs more than one search by
// the waves, so a single search (tarvex-route) does without it. Where little
// wears away, as on open ground, the core does not pay and the waves stay.

#include "route/RouteSteps.h"

#include <atomic>
#include <optional>

class RouteGrid;

// The route on a map kept as bits, made once for many searches. Once
// `cancel` is set the search ends soon with std::nullopt.
std::optional<RouteSteps> FindRouteSteps(const RouteGrid& grid, Cell from, Cell to,
                                         const std::atomic<bool>* cancel = nullptr, RouteSearchCost* cost = nullptr);

// The same on the walkability values, the bits made for this one search.
std::optional<Route> FindRoute(const TMatrix& walk, Cell from, Cell to, RouteSearchCost* cost = nullptr);
std::optional<RouteSteps> FindRouteSteps(const TMatrix& walk, Cell from, Cell to);

// The same answer by a plain breadth-first search (a queue of cells, a bit
// per cell for those seen, the step that entered each): the reference for
// the tests and the benchmarks.
std::optional<Route> FindRouteBreadthFirst(const TMatrix& walk, Cell from, Cell to,
                                           RouteSearchCost* cost = nullptr);
