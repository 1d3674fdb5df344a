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

#include "IndexedImage.h"
#include "MapFormat.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

struct Cell {
    int x = 0;
    int y = 0;

    bool operator==(const Cell& other) const { return x == other.x && y == other.y; }
    bool operator!=(const Cell& other) const { return !(*this == other); }
};

using Route = std::vector<Cell>;

// A route kept as its start and the step into each next cell, 4 bits a
// step: one of 134 million steps takes 67 MB instead of a gigabyte of cells.
class RouteSteps {
public:
    RouteSteps(Cell start, std::size_t count) : start_(start), count_(count), nibbles_((count + 1) / 2) {}

    Cell Start() const { return start_; }
    std::size_t Count() const { return count_; }
    void Set(std::size_t index, int step)
    {
        std::uint8_t& pair = nibbles_[index / 2];
        pair = std::uint8_t(index % 2 ? (pair & 0x0F) | step << 4 : (pair & 0xF0) | step);
    }
    int Step(std::size_t index) const { return nibbles_[index / 2] >> (index % 2 * 4) & 0x0F; }
    std::size_t MemoryBytes() const { return nibbles_.capacity(); }

    // visit(cell) for every cell of the route, the start first.
    void ForEachCell(const std::function<void(Cell)>& visit) const;
    Route Cells() const;

private:
    Cell start_;
    std::size_t count_;
    std::vector<std::uint8_t> nibbles_;
};

// What a search used, for the benchmarks.
struct RouteSearchCost {
    std::size_t memoryBytes = 0;  // peak memory of the search itself
    std::size_t expandedCells = 0; // cells whose neighbours were looked at
};

// A* with the Chebyshev distance as the estimate: one byte per cell (the
// step that entered it, its total cost modulo 4, open, closed) and three
// buckets of open cells, one for each total cost an open cell can have, at
// 4 bytes an entry (on large maps of rooms and corridors, 1 to 2.2 bytes per
// cell in all).
std::optional<Route> FindRoute(const TMatrix& walk, Cell from, Cell to, RouteSearchCost* cost = nullptr);
// The same, for another thread: once `cancel` is set it ends soon with std::nullopt.
std::optional<Route> FindRoute(const TMatrix& walk, Cell from, Cell to, const std::atomic<bool>& cancel);

// The same search, its route kept as steps.
std::optional<RouteSteps> FindRouteSteps(const TMatrix& walk, Cell from, Cell to);

// The same answer by a plain breadth-first search: the reference for the
// tests and the benchmarks.
std::optional<Route> FindRouteBreadthFirst(const TMatrix& walk, Cell from, Cell to,
                                           RouteSearchCost* cost = nullptr);

// True when the cell lies inside the map and can be entered.
bool IsWalkable(const TMatrix& walk, Cell cell);
