#pragma once
// What every route search speaks of: a route as its cells, the 8 steps, a
// route kept as its steps, what a search used, and which cells can be
// entered. The searches (RouteGrid.h, RouteBound.h, RouteWaves.h,
// RouteCore.h, WalkableAreas.h) include this; Route.h chooses among them.

#include "base/Cell.h"
#include "base/StandableCells.h"
#include "map/MapFormat.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

using Route = std::vector<Cell>;

// The 8 steps, by index.
constexpr int kStepX[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
constexpr int kStepY[8] = {-1, 0, 1, -1, 1, -1, 0, 1};

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
    std::size_t memoryBytes = 0;   // peak memory of the search itself, the map's bits not counted
    std::size_t expandedCells = 0; // cells (or tiles of 64 cells) whose neighbours were looked at
};

// True when the cell lies inside the map and can be entered.
bool IsWalkable(const TMatrix& walk, Cell cell);

// The cells of a map that can be entered, as a route enters them, one bit each.
StandableCells StandableCellsOf(const TMatrix& walk);
