#include "route/RouteWaves.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace {

// The distance of 64 cells from one end, modulo 3, as 1 to 3 in two bits
// of two words (0: not reached).
struct WordLabels {
    std::uint64_t bits[2];

    std::uint64_t Reached() const { return bits[0] | bits[1]; }
    std::uint64_t WithLabel(int label) const
    {
        return (label & 1 ? bits[0] : ~bits[0]) & (label & 2 ? bits[1] : ~bits[1]);
    }
    void Add(int label, std::uint64_t cells)
    {
        if (label & 1)
            bits[0] |= cells;
        if (label & 2)
            bits[1] |= cells;
    }
};

int LabelOf(std::int64_t distance)
{
    return int(distance % 3) + 1;
}

struct FreeMemory {
    void operator()(WordLabels* labels) const { std::free(labels); }
};

// Zeroed by calloc: fresh pages are zeroed by the system when first
// touched, so a search pays mostly for the part of the map it reaches.
std::unique_ptr<WordLabels[], FreeMemory> ZeroedLabels(std::size_t count)
{
    auto* labels = static_cast<WordLabels*>(std::calloc(count, sizeof(WordLabels)));
    if (!labels)
        throw std::bad_alloc();
    return std::unique_ptr<WordLabels[], FreeMemory>(labels);
}

// Cells of one tile that a wave reached in its last step.
struct Front {
    TilePlace tile;
    std::uint64_t cells;
};

// Bits first to last of a word, both included, clipped to 0..63.
std::uint64_t BitRange(std::int64_t first, std::int64_t last)
{
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, 63);
    if (first > last)
        return 0;
    return (last == 63 ? ~0ULL : (2ULL << last) - 1) & (~0ULL << first);
}

constexpr std::uint64_t kFirstColumn = 0x0101010101010101ULL; // of a tile
constexpr std::uint64_t kLastColumn = kFirstColumn << 7;

// Each cell and those above and below it, in its tile.
std::uint64_t SpreadUpDown(std::uint64_t cells)
{
    return cells | cells << 8 | cells >> 8;
}

// Each cell and those left and right of it, in its tile.
std::uint64_t SpreadSideways(std::uint64_t cells)
{
    return cells | (cells << 1 & ~kFirstColumn) | (cells >> 1 & ~kLastColumn);
}

// The index of the step (dx, dy) in kStepX and kStepY.
int StepIndex(int dx, int dy)
{
    const int index = (dx + 1) * 3 + dy + 1;
    return index > 4 ? index - 1 : index;
}

// A cell both waves reached, and its distance from each end.
struct Meeting {
    Cell cell;
    std::int64_t distance[2];
};

class Waves {
public:
    Waves(const RouteGrid& grid, Cell from, Cell to, std::optional<std::int64_t> bound, const std::atomic<bool>* cancel)
        : grid_(grid), ends_{from, to}, bound_(bound), cancel_(cancel),
          labels_{ZeroedLabels(grid.WordCount()), ZeroedLabels(grid.WordCount())}, walk_(grid.Words())
    {
        for (int side = 0; side < 2; ++side) {
            const Front start{RouteGrid::TileOf(ends_[side]), 1ULL << RouteGrid::BitOf(ends_[side])};
            labels_[side][grid_.TileIndex(start.tile)].Add(LabelOf(0), start.cells);
            fronts_[side].push_back(start);
        }
    }

    // One wave a step at a time, the one with the smaller front.
    std::optional<RouteSteps> Run()
    {
        while (!Cancelled() && !fronts_[0].empty() && !fronts_[1].empty()) {
            const int side = fronts_[0].size() <= fronts_[1].size() ? 0 : 1;
            Advance(side);
            if (Cancelled())
                break; // the step may be cut short: its meetings need not be the nearest
            if (const std::optional<Meeting> meeting = Meet(side))
                return Finish(*meeting);
            if (BeyondBound())
                return std::nullopt;
        }
        return std::nullopt;
    }

    RouteSearchCost Cost() const
    {
        return {2 * grid_.WordCount() * sizeof(WordLabels) + frontBytes_, expanded_};
    }

private:
    bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

    // The route through the first meeting, unless it is longer than the
    // bound: then some cell of every shortest route was left out, and none
    // of them is as short as the bound.
    std::optional<RouteSteps> Finish(const Meeting& meeting) const
    {
        if (bound_ && Length(meeting) > *bound_)
            return std::nullopt;
        return Trace(meeting);
    }

    // No meeting yet, and the waves as deep as the bound together: every
    // route is longer than the bound.
    bool BeyondBound() const { return bound_ && depth_[0] + depth_[1] >= *bound_; }

    static std::int64_t Length(const Meeting& meeting) { return meeting.distance[0] + meeting.distance[1]; }

    // One step of one wave: the cells next to its front that are walkable
    // and new become its front, labelled with their distance.
    void Advance(int side)
    {
        const int label = LabelOf(++depth_[side]);
        next_.clear();
        const std::vector<Front>& fronts = fronts_[side];
        for (std::size_t at = 0; at < fronts.size(); ++at) {
            if ((++expanded_ & 0xFFFF) == 0 && Cancelled())
                break;
            if (at + kLookAhead < fronts.size())
                Prefetch(side, fronts[at + kLookAhead].tile);
            const TilePlace tile = fronts[at].tile;
            const std::uint64_t cells = fronts[at].cells, sideways = SpreadSideways(cells);
            const std::uint32_t left = tile.column - 1, right = tile.column + 1, up = tile.row - 1, down = tile.row + 1;
            Enter(side, label, tile, SpreadUpDown(sideways));
            if (const std::uint64_t edge = cells & kFirstColumn)
                Enter(side, label, {left, tile.row}, SpreadUpDown(edge << 7));
            if (const std::uint64_t edge = cells & kLastColumn)
                Enter(side, label, {right, tile.row}, SpreadUpDown(edge >> 7));
            if (const std::uint64_t edge = sideways & 0xFF)
                Enter(side, label, {tile.column, up}, edge << 56);
            if (const std::uint64_t edge = sideways >> 56)
                Enter(side, label, {tile.column, down}, edge);
            if (cells & 1)
                Enter(side, label, {left, up}, 1ULL << 63);
            if (cells >> 7 & 1)
                Enter(side, label, {right, up}, 1ULL << 56);
            if (cells >> 56 & 1)
                Enter(side, label, {left, down}, 1ULL << 7);
            if (cells >> 63)
                Enter(side, label, {right, down}, 1ULL);
        }
        frontBytes_ = std::max(frontBytes_, (fronts_[0].capacity() + fronts_[1].capacity() + next_.capacity()) * sizeof(Front));
        fronts_[side].swap(next_);
    }

    // The fronts are spread over the map: the words a front will read are
    // asked for while the fronts before it are worked on.
    static constexpr std::size_t kLookAhead = 8;
    void Prefetch(int side, TilePlace tile) const
    {
        const std::size_t index = grid_.TileIndex(tile);
        __builtin_prefetch(&labels_[side][index]);
        __builtin_prefetch(&walk_[index]);
    }

    // With a bound, the cells of a tile from which the wave of `side` can
    // still beat it: within the straight distance left to the other end.
    std::uint64_t InReach(int side, TilePlace tile) const
    {
        if (!bound_)
            return ~0ULL;
        const std::int64_t reach = *bound_ - depth_[side];
        const Cell target = ends_[1 - side], corner = RouteGrid::CellOf(tile, 0);
        const std::int64_t left = target.x - reach - corner.x, right = target.x + reach - corner.x;
        const std::int64_t top = target.y - reach - corner.y, bottom = target.y + reach - corner.y;
        return BitRange(left, right) % 256 * kFirstColumn & BitRange(top * 8, bottom * 8 + 7);
    }

    void Enter(int side, int label, TilePlace tile, std::uint64_t cells)
    {
        const std::size_t index = grid_.TileIndex(tile);
        WordLabels& labels = labels_[side][index];
        const std::uint64_t fresh = cells & walk_[index] & ~labels.Reached() & InReach(side, tile);
        if (!fresh)
            return;
        labels.Add(label, fresh);
        if (!next_.empty() && next_.back().tile.column == tile.column && next_.back().tile.row == tile.row)
            next_.back().cells |= fresh;
        else
            next_.push_back({tile, fresh});
    }

    // The shortest way through a cell of the front of `side` that the other
    // wave reached too, if any. When the waves first touch, the shortest of
    // these is a shortest route: had a shorter one existed, one of its cells
    // would have been reached by both waves a step earlier (no wave leaves
    // out a cell of a route within the bound). Such a cell lies on the other
    // wave's front, which is what tells its distance from its label. Without
    // a route within the bound the distance told is never less than the
    // true one, and Finish() refuses the route.
    std::optional<Meeting> Meet(int side) const
    {
        const int other = 1 - side;
        std::optional<Meeting> best;
        for (const Front& front : fronts_[side]) {
            const std::size_t index = grid_.TileIndex(front.tile);
            for (std::uint64_t met = front.cells & labels_[other][index].Reached(); met; met &= met - 1) {
                const Cell cell = RouteGrid::CellOf(front.tile, __builtin_ctzll(met));
                Meeting meeting{cell, {}};
                meeting.distance[side] = depth_[side];
                meeting.distance[other] = DistanceNear(other, cell);
                if (!best || Length(meeting) < Length(*best))
                    best = meeting;
            }
        }
        return best;
    }

    // The distance of a reached cell from the end of `side`: the largest up
    // to the wave's depth that its label allows.
    std::int64_t DistanceNear(int side, Cell cell) const
    {
        for (std::int64_t distance = depth_[side]; distance > depth_[side] - 3; --distance)
            if (HasLabel(side, cell, LabelOf(distance)))
                return distance;
        return depth_[side];
    }

    bool HasLabel(int side, Cell cell, int label) const
    {
        if (!grid_.IsWalkable(cell))
            return false;
        const WordLabels& labels = labels_[side][grid_.TileIndex(RouteGrid::TileOf(cell))];
        return labels.WithLabel(label) >> RouteGrid::BitOf(cell) & 1;
    }

    // The neighbour of `at` that the wave of `side` reached at `distance`.
    Cell Closer(int side, Cell at, std::int64_t distance) const
    {
        const int label = LabelOf(distance);
        for (int step = 0; step < 8; ++step) {
            const Cell next{at.x + kStepX[step], at.y + kStepY[step]};
            if (HasLabel(side, next, label))
                return next;
        }
        return at; // not reached: the labels always name a closer neighbour
    }

    // From the meeting cell back to each end, step by step along cells one
    // closer to it: a neighbour whose distance modulo 3 is one less is one
    // step closer, as neighbours' distances differ by at most 1.
    RouteSteps Trace(const Meeting& meeting) const
    {
        const std::int64_t* distance = meeting.distance;
        RouteSteps steps(ends_[0], std::size_t(distance[0] + distance[1]));
        Cell at = meeting.cell;
        for (std::int64_t d = distance[0]; d > 0; --d) {
            const Cell before = Closer(0, at, d - 1);
            steps.Set(std::size_t(d - 1), StepIndex(at.x - before.x, at.y - before.y));
            at = before;
        }
        at = meeting.cell;
        for (std::int64_t d = distance[1], index = distance[0]; d > 0; --d, ++index) {
            const Cell after = Closer(1, at, d - 1);
            steps.Set(std::size_t(index), StepIndex(after.x - at.x, after.y - at.y));
            at = after;
        }
        return steps;
    }

    const RouteGrid& grid_;
    const Cell ends_[2];
    const std::optional<std::int64_t> bound_;
    const std::atomic<bool>* cancel_;
    std::unique_ptr<WordLabels[], FreeMemory> labels_[2];
    const std::uint64_t* walk_; // the grid's words, placed as the labels
    std::vector<Front> fronts_[2];
    std::vector<Front> next_;
    std::int64_t depth_[2] = {0, 0};
    std::size_t expanded_ = 0;
    std::size_t frontBytes_ = 0;
};

} // namespace

std::optional<RouteSteps> SearchWaves(const RouteGrid& grid, Cell from, Cell to, std::optional<std::int64_t> bound,
                                      const std::atomic<bool>* cancel, RouteSearchCost* cost)
{
    Waves waves(grid, from, to, bound, cancel);
    std::optional<RouteSteps> steps = waves.Run();
    if (cost)
        *cost = waves.Cost();
    return steps;
}
