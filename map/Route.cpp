#include "Route.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>

namespace {

constexpr int kMaxSide = 65535; // so that every cell index fits in 32 bits

// The 8 steps; a cell remembers the index of the step that entered it.
constexpr std::array<int, 8> kStepX{-1, -1, -1, 0, 0, 1, 1, 1};
constexpr std::array<int, 8> kStepY{-1, 0, 1, -1, 1, -1, 0, 1};
constexpr std::uint8_t kStepBits = 7;
constexpr std::uint8_t kAllSteps = 0xFF;

// The steps worth trying from a cell entered by the given step: a neighbour
// that is also a neighbour of the cell stepped from (or that cell itself)
// was reached from there in fewer steps, since any step to a walkable cell
// is allowed. That leaves 3 steps after a straight step, 5 after a diagonal.
constexpr std::array<std::uint8_t, 8> StepsAfter()
{
    std::array<std::uint8_t, 8> after{};
    for (int entered = 0; entered < 8; ++entered) {
        for (int step = 0; step < 8; ++step) {
            const int fromX = kStepX[step] + kStepX[entered], fromY = kStepY[step] + kStepY[entered];
            if (fromX < -1 || fromX > 1 || fromY < -1 || fromY > 1)
                after[std::size_t(entered)] |= std::uint8_t(1 << step);
        }
    }
    return after;
}
constexpr std::array<std::uint8_t, 8> kStepsAfter = StepsAfter();

struct FreeMemory {
    void operator()(std::uint8_t* bytes) const { std::free(bytes); }
};
using CellStates = std::unique_ptr<std::uint8_t[], FreeMemory>;

// One zeroed byte per cell. Unlike a value-initialised vector, calloc leaves
// fresh pages for the system to zero when first touched, so a search pays
// mostly for the part of the map it visits.
CellStates ZeroedStates(std::size_t cells)
{
    auto* bytes = static_cast<std::uint8_t*>(std::calloc(cells, 1));
    if (!bytes)
        throw std::bad_alloc();
    return CellStates(bytes);
}

std::size_t IndexOf(Cell cell, int rows)
{
    return std::size_t(cell.x) * std::size_t(rows) + std::size_t(cell.y);
}

// Searches that need no search: the first element says whether it answered.
std::pair<bool, std::optional<Route>> TrivialAnswer(const TMatrix& walk, Cell from, Cell to)
{
    if (walk.Columns() > kMaxSide || walk.Rows() > kMaxSide)
        throw std::invalid_argument("a route is searched on at most 65535 x 65535 cells");
    if (!IsWalkable(walk, from) || !IsWalkable(walk, to))
        return {true, std::nullopt};
    if (from == to)
        return {true, Route{from}};
    return {false, std::nullopt};
}

// The steps from `from` to `to`, read back from `to` along the steps that
// entered each cell: counted first, then written from the last.
RouteSteps TraceSteps(const std::uint8_t* states, Cell from, Cell to, int rows)
{
    auto previous = [&](Cell at) {
        const int step = states[IndexOf(at, rows)] & kStepBits;
        return Cell{at.x - kStepX[step], at.y - kStepY[step]};
    };
    std::size_t count = 0;
    for (Cell at = to; at != from; at = previous(at))
        ++count;
    RouteSteps steps(from, count);
    std::size_t index = count;
    for (Cell at = to; at != from; at = previous(at))
        steps.Set(--index, states[IndexOf(at, rows)] & kStepBits);
    return steps;
}

// The route back from `to` along the steps that entered each cell.
Route TraceBack(const std::uint8_t* states, Cell from, Cell to, int rows)
{
    Route route{to};
    for (Cell at = to; at != from;) {
        const int step = states[IndexOf(at, rows)] & kStepBits;
        at = Cell{at.x - kStepX[step], at.y - kStepY[step]};
        route.push_back(at);
    }
    std::reverse(route.begin(), route.end());
    return route;
}

// Visits the walkable neighbours of (x, y) that the given steps (bit by
// step) lead to: visit(step, x, y, index).
template <typename Visit>
void ForEachWalkableNeighbour(const TMatrix& walk, int x, int y, std::size_t index, std::uint8_t steps, Visit&& visit)
{
    const int columns = walk.Columns(), rows = walk.Rows();
    const std::uint8_t* values = walk[0];
    for (int step = 0; step < 8; ++step) {
        if (!(steps >> step & 1))
            continue;
        const int nextX = x + kStepX[step], nextY = y + kStepY[step];
        if (unsigned(nextX) >= unsigned(columns) || unsigned(nextY) >= unsigned(rows))
            continue;
        const std::size_t next = index + std::size_t(std::ptrdiff_t(kStepX[step]) * rows + kStepY[step]);
        if (values[next] != kWalkBlocked)
            visit(step, nextX, nextY, next);
    }
}

// A* cell states: the step bits, then the cell's total (steps so far plus
// estimate) modulo 4, then whether it is open or closed, and whether the
// flood from the goal reached it.
constexpr int kTotalShift = 3;
constexpr std::uint8_t kOpen = 1 << 5;
constexpr std::uint8_t kClosed = 1 << 6;
constexpr std::uint8_t kFlooded = 1 << 7;

// How many cells the flood from the goal may reach before the search starts.
constexpr std::size_t kFloodLimit = 1 << 14;

std::uint32_t Packed(int x, int y)
{
    return std::uint32_t(x) << 16 | std::uint32_t(y);
}

Cell Unpacked(std::uint32_t packed)
{
    return {int(packed >> 16), int(packed & 0xFFFF)};
}

class AStarSearch {
public:
    AStarSearch(const TMatrix& walk, Cell from, Cell to, const std::atomic<bool>* cancel)
        : walk_(walk), cancel_(cancel), from_(from), to_(to), rows_(walk.Rows()),
          start_(IndexOf(from, rows_)), states_(ZeroedStates(std::size_t(walk.Columns()) * std::size_t(walk.Rows())))
    {
    }

    std::optional<RouteSteps> Run()
    {
        // With a consistent estimate every neighbour's total is the expanded
        // cell's total, or one or two more: three buckets hold them all.
        if (GoalIsShutIn())
            return std::nullopt;
        least_ = Estimate(from_.x, from_.y);
        Open(from_.x, from_.y, start_, least_, 0);
        for (;; ++least_) {
            std::vector<std::uint32_t>& bucket = open_[std::size_t(least_ % 3)];
            // Last in, first out: among equal totals the deepest cell goes first.
            while (!bucket.empty()) {
                const Cell at = Unpacked(bucket.back());
                bucket.pop_back();
                const std::size_t index = IndexOf(at, rows_);
                if (states_[index] & kClosed)
                    continue; // left behind when a shorter way reached it
                states_[index] |= kClosed;
                if ((++expanded_ & 0xFFFF) == 0 && cancel_ && cancel_->load(std::memory_order_relaxed))
                    return std::nullopt;
                if (at == to_)
                    return TraceSteps(states_.get(), from_, to_, rows_);
                Expand(at, index);
            }
            if (open_[0].empty() && open_[1].empty() && open_[2].empty())
                return std::nullopt;
        }
    }

    RouteSearchCost Cost() const
    {
        std::size_t openBytes = 0;
        for (const std::vector<std::uint32_t>& bucket : open_)
            openBytes += bucket.capacity() * sizeof(std::uint32_t);
        return {std::size_t(walk_.Columns()) * std::size_t(rows_) + std::max(openBytes, floodBytes_), expanded_};
    }

private:
    // A goal in a small walled-in area would have the search go through all
    // it can reach from the start before giving up, which on a large map
    // takes seconds: a short breadth-first flood from the goal tells first.
    bool GoalIsShutIn()
    {
        std::vector<std::uint32_t> flood{Packed(to_.x, to_.y)};
        states_[IndexOf(to_, rows_)] = kFlooded;
        bool reachedStart = false;
        for (std::size_t head = 0; head < flood.size() && !reachedStart; ++head) {
            if (flood.size() > kFloodLimit)
                break;
            const Cell at = Unpacked(flood[head]);
            ForEachWalkableNeighbour(walk_, at.x, at.y, IndexOf(at, rows_), kAllSteps,
                                     [&](int, int nextX, int nextY, std::size_t next) {
                                         if (states_[next] & kFlooded)
                                             return;
                                         states_[next] |= kFlooded;
                                         flood.push_back(Packed(nextX, nextY));
                                         reachedStart = reachedStart || next == start_;
                                     });
        }
        floodBytes_ = flood.capacity() * sizeof(std::uint32_t);
        return !reachedStart && flood.size() <= kFloodLimit;
    }

    std::int64_t Estimate(int x, int y) const { return std::max(std::abs(x - to_.x), std::abs(y - to_.y)); }

    // Open cells are kept as column and row, 16 bits each.
    void Open(int x, int y, std::size_t index, std::int64_t total, int step)
    {
        states_[index] = std::uint8_t(kOpen | (total & 3) << kTotalShift | step);
        open_[std::size_t(total % 3)].push_back(Packed(x, y));
    }

    // An open cell's total lies in [least_, least_ + 2]: its value modulo 4 tells which.
    std::int64_t OpenTotal(std::uint8_t state) const
    {
        return least_ + ((std::int64_t(state >> kTotalShift & 3) - least_) & 3);
    }

    void Expand(Cell at, std::size_t index)
    {
        const std::int64_t stepsToNeighbour = least_ - Estimate(at.x, at.y) + 1;
        const std::uint8_t steps = index == start_ ? kAllSteps : kStepsAfter[states_[index] & kStepBits];
        ForEachWalkableNeighbour(walk_, at.x, at.y, index, steps, [&](int step, int nextX, int nextY, std::size_t next) {
            const std::uint8_t state = states_[next];
            if (state & kClosed)
                return;
            const std::int64_t total = stepsToNeighbour + Estimate(nextX, nextY);
            if (!(state & kOpen) || total < OpenTotal(state))
                Open(nextX, nextY, next, total, step);
        });
    }

    const TMatrix& walk_;
    const std::atomic<bool>* cancel_;
    const Cell from_, to_;
    const int rows_;
    const std::size_t start_;
    CellStates states_;
    std::array<std::vector<std::uint32_t>, 3> open_;
    std::int64_t least_ = 0; // the total of the bucket being expanded
    std::size_t expanded_ = 0;
    std::size_t floodBytes_ = 0;
};

} // namespace

bool IsWalkable(const TMatrix& walk, Cell cell)
{
    return cell.x >= 0 && cell.y >= 0 && cell.x < walk.Columns() && cell.y < walk.Rows() &&
           walk[cell.x][cell.y] != kWalkBlocked;
}

namespace {

std::optional<RouteSteps> SearchAStar(const TMatrix& walk, Cell from, Cell to, RouteSearchCost* cost,
                                      const std::atomic<bool>* cancel)
{
    auto [answered, answer] = TrivialAnswer(walk, from, to);
    if (answered)
        return answer ? std::optional<RouteSteps>(RouteSteps(from, 0)) : std::nullopt;
    AStarSearch search(walk, from, to, cancel);
    std::optional<RouteSteps> steps = search.Run();
    if (cost)
        *cost = search.Cost();
    return steps;
}

std::optional<Route> CellsOf(const std::optional<RouteSteps>& steps)
{
    return steps ? std::optional<Route>(steps->Cells()) : std::nullopt;
}

} // namespace

void RouteSteps::ForEachCell(const std::function<void(Cell)>& visit) const
{
    Cell at = start_;
    visit(at);
    for (std::size_t index = 0; index < count_; ++index) {
        const int step = Step(index);
        at = Cell{at.x + kStepX[std::size_t(step)], at.y + kStepY[std::size_t(step)]};
        visit(at);
    }
}

Route RouteSteps::Cells() const
{
    Route cells;
    cells.reserve(count_ + 1);
    ForEachCell([&cells](Cell cell) { cells.push_back(cell); });
    return cells;
}

std::optional<Route> FindRoute(const TMatrix& walk, Cell from, Cell to, RouteSearchCost* cost)
{
    return CellsOf(SearchAStar(walk, from, to, cost, nullptr));
}

std::optional<Route> FindRoute(const TMatrix& walk, Cell from, Cell to, const std::atomic<bool>& cancel)
{
    return CellsOf(SearchAStar(walk, from, to, nullptr, &cancel));
}

std::optional<RouteSteps> FindRouteSteps(const TMatrix& walk, Cell from, Cell to)
{
    return SearchAStar(walk, from, to, nullptr, nullptr);
}

std::optional<Route> FindRouteBreadthFirst(const TMatrix& walk, Cell from, Cell to, RouteSearchCost* cost)
{
    auto [answered, answer] = TrivialAnswer(walk, from, to);
    if (answered)
        return answer;
    const int rows = walk.Rows();
    constexpr std::uint8_t kSeen = 1 << 3;
    CellStates states = ZeroedStates(std::size_t(walk.Columns()) * std::size_t(rows));
    const std::size_t goal = IndexOf(to, rows);
    std::vector<std::uint32_t> queue{std::uint32_t(IndexOf(from, rows))};
    states[queue.front()] = kSeen;
    bool reached = false;
    std::size_t head = 0;
    for (; head < queue.size() && !reached; ++head) {
        const std::uint32_t at = queue[head];
        const int x = int(at / unsigned(rows)), y = int(at % unsigned(rows));
        ForEachWalkableNeighbour(walk, x, y, at, kAllSteps, [&](int step, int, int, std::size_t next) {
            if (states[next] & kSeen)
                return;
            states[next] = std::uint8_t(kSeen | step);
            queue.push_back(std::uint32_t(next));
            reached = reached || next == goal;
        });
    }
    if (cost)
        *cost = {std::size_t(walk.Columns()) * std::size_t(rows) + queue.capacity() * sizeof(std::uint32_t),
                 head};
    if (!reached)
        return std::nullopt;
    return TraceBack(states.get(), from, to, rows);
}
