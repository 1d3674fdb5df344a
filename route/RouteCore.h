#pragma once
// A map worked out once for many route searches: worn down to its core, a
// thin web of cells that keeps every distance between the cells left, and
// for every other cell the way up to that core.
//
// Why: on a maze of small rooms and corridors two cells wide the waves of
// RouteWaves.h go through nearly half the map for one route (a few times
// faster than a plain breadth-first search, not more), and the window asks
// for a route to the same goal every second. Worn down, such a maze keeps
// about one cell in twenty: its loops, one cell wide; dead ends vanish. The search then runs
// on the web's crossings and the lengths of the strands between them.
//
// How it is made: a walkable cell is worn away when taking it out keeps
// every distance between the cells that remain, that is when any two of its
// remaining neighbours that are not next to each other have another
// remaining neighbour in common within its ring of 8 (a table of the 256
// rings says which rings allow it; a neighbour in common further out is not
// looked for, so some cells stay that could go). Cells are worn away layer
// by layer from the edges of the open ground inwards (first in, first out),
// so that rooms thin to lines rather than to a chequer of cells. A cell with
// no walkable neighbour stays. What never goes is the core.
//
// Why a route can keep to the ways up: take a shortest route and number its
// cells by when they were worn away (core cells last). A cell worn away
// before both its neighbours on the route had, when it went, those two as
// neighbours, not next to each other, so they had another neighbour in
// common still there, worn away later: the route through that one is as
// short and its numbers are higher. Repeating this, some shortest route
// rises from the start (each cell worn away after the one before), runs
// in the core, and falls to the goal. So the search goes up from both ends
// (each cell keeps, in half a byte, which of its neighbours were still there
// when it went), then through the core.
//
// Contract:
// - Of(): the core of the walkability values, or std::nullopt when `cancel`
//   was set or the core does not pay: when it and a search's table of its
//   crossings would take more than `mostBytesPerCell` (as on open ground,
//   where little wears away and nearly every cell is a crossing).
//   At most 65535 x 65535 cells, larger throws std::invalid_argument;
//   std::bad_alloc when the memory cannot be had.
// - Find(): the same answer as FindRouteSteps() (Route.h): a shortest route
//   or std::nullopt; std::nullopt too once `cancel` is set.
// - Memory: 5 bits a cell (whether the cell is core, and the way up), the
//   crossings at 8 bytes and the strands at 8 bytes from each end; a search
//   (RouteToGoal below) takes 8 bytes and a bit a crossing, the crossings
//   waiting to be settled, and what it reaches on the way up.
// - Of() takes many times one search's time (bench/RESULTS.md has the
//   figures): it is for a map that is searched many times. While it works it
//   needs bits of its own and a list of the cells waiting.

#include "map/MapFormat.h"
#include "route/RouteSteps.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class RouteCore {
public:
    // A search's table: the steps to each crossing and how it was reached.
    static constexpr std::size_t kSearchBytesPerCrossing = 8;

    static std::optional<RouteCore> Of(const TMatrix& walk, const std::atomic<bool>* cancel = nullptr,
                                       double mostBytesPerCell = 1.0);

    std::optional<RouteSteps> Find(Cell from, Cell to, const std::atomic<bool>* cancel = nullptr,
                                   RouteSearchCost* cost = nullptr) const;

    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    std::size_t CoreCells() const { return coreCells_; }
    std::size_t Crossings() const { return crossingCells_.size(); }
    std::size_t MemoryBytes() const;

    // Whether the cell lies on the map and is walkable, and whether it is
    // core: for the tests.
    bool IsWalkable(Cell cell) const;
    bool IsCore(Cell cell) const;

    // A strand of the core from a crossing: the crossing at its other end
    // (by number), its length in steps and the step out of the crossing.
    struct Strand {
        std::uint32_t crossing;
        std::uint32_t lengthAndStep; // length << 3 | step

        std::uint32_t Length() const { return lengthAndStep >> 3; }
        int Step() const { return int(lengthAndStep & 7); }
    };

private:
    friend class CoreBuilder;
    friend class CoreWalks;

    RouteCore(int columns, int rows);

    std::size_t IndexOf(int x, int y) const { return std::size_t(x) * std::size_t(rows_) + std::size_t(y); }
    bool Marked(std::size_t index) const { return marks_[index / 64] >> (index % 64) & 1; }
    int Nibble(std::size_t index) const { return nibbles_[index / 2] >> (index % 2 * 4) & 0x0F; }
    bool CoreAt(std::size_t index) const { return Marked(index) && Nibble(index) == 0; }
    bool WalkableAt(std::size_t index) const { return !Marked(index) || Nibble(index) == 0; }
    // The steps out of a core cell into core cells, bit per step (kStepX).
    int CoreSteps(int x, int y) const;
    // The steps out of a worn-away cell to neighbours worn away after it
    // or core.
    int UpSteps(int x, int y) const;
    // The crossing's number, or -1 when the core cell is no crossing.
    std::int64_t CrossingOf(std::size_t index) const;
    // Along a strand from a core cell, leaving by `step`, to the first
    // crossing or back to the cell (a loop without crossings); visit(cell,
    // step into it) for each cell on the way.
    struct StrandEnd {
        Cell cell;
        std::uint32_t length;
        bool crossing;
    };
    StrandEnd Follow(Cell from, int step, const std::function<void(Cell, int)>& visit = nullptr) const;
    // The strands of every crossing; false when cancelled.
    bool Link(const std::atomic<bool>* cancel);

    int columns_;
    int rows_;
    // A cell's mark and half byte: marked with 0, core; marked with 15,
    // blocked; not marked, worn away, the half byte telling for the 4 steps
    // 4 to 7 (kStepX) whether that neighbour was there when it went.
    std::vector<std::uint64_t> marks_;
    std::vector<std::uint8_t> nibbles_;
    std::size_t coreCells_ = 0;
    std::vector<std::uint32_t> crossingCells_; // index of each crossing, rising
    std::vector<std::uint32_t> firstStrand_;   // of each crossing, and one past the last
    std::vector<Strand> strands_;
};

class GoalSide;

// Routes from any start to one goal through a map's core. The goal's side
// of the search (its way up, then the crossings best first) is kept from
// one route to the next and carried only as far as each route needs: the
// window asks for a route to the same goal every second while the player
// moves, and a crossing's steps to the goal, once known, hold for every
// start. Routes may be asked for on several threads at once; they are
// worked out one at a time. Memory: 8 bytes a crossing, and the crossings
// waiting to be settled.
class RouteToGoal {
public:
    // The core must outlive the first; the second holds it.
    RouteToGoal(const RouteCore& core, Cell goal);
    RouteToGoal(std::shared_ptr<const RouteCore> core, Cell goal);
    ~RouteToGoal();

    Cell Goal() const { return goal_; }
    // The same as RouteCore::Find(start, Goal()).
    std::optional<RouteSteps> From(Cell start, const std::atomic<bool>* cancel = nullptr,
                                   RouteSearchCost* cost = nullptr) const;

private:
    std::shared_ptr<const RouteCore> core_; // when held
    Cell goal_;
    std::unique_ptr<GoalSide> side_;
};
