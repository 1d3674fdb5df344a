#include "RouteWaves.h"

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

// Cells of one word of one column that a wave reached in its last step.
struct Front {
    std::uint32_t column; // x + 1: column -1 is 0
    std::uint32_t word;
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

// The index of the step (dx, dy) in kStepX and kStepY.
int StepIndex(int dx, int dy)
{
    const int index = (dx + 1) * 3 + dy + 1;
    return index > 4 ? index - 1 : index;
}

class Waves {
public:
    Waves(const RouteGrid& grid, Cell from, Cell to, std::optional<std::int64_t> bound, const std::atomic<bool>* cancel)
        : grid_(grid), words_(std::uint32_t(grid.WordsPerColumn())), ends_{from, to}, bound_(bound), cancel_(cancel),
          labels_{ZeroedLabels(grid.WordCount()), ZeroedLabels(grid.WordCount())}, walk_(grid.Words())
    {
        for (int side = 0; side < 2; ++side) {
            const Front start{std::uint32_t(ends_[side].x + 1), std::uint32_t(ends_[side].y >> 6),
                              1ULL << (ends_[side].y & 63)};
            labels_[side][Index(start.column, start.word)].Add(LabelOf(0), start.cells);
            fronts_[side].push_back(start);
        }
    }

    std::optional<RouteSteps> Run()
    {
        while (!fronts_[0].empty() && !fronts_[1].empty()) {
            const int side = fronts_[0].size() <= fronts_[1].size() ? 0 : 1;
            if (Advance(side))
                return Trace();
            if (cancel_ && cancel_->load(std::memory_order_relaxed))
                return std::nullopt;
        }
        return std::nullopt;
    }

    RouteSearchCost Cost() const
    {
        return {2 * grid_.WordCount() * sizeof(WordLabels) + frontBytes_, expanded_};
    }

private:
    std::size_t Index(std::uint32_t column, std::uint32_t word) const { return grid_.WordIndex(column, word); }

    // One step of one wave. True when it touched the other wave; then
    // meet_ holds a cell both reached. Any such cell lies on a shortest
    // route: had a shorter one existed, one of its cells would have been
    // reached by both waves a step earlier.
    bool Advance(int side)
    {
        const int other = 1 - side;
        const int label = LabelOf(++depth_[side]);
        const Cell target = ends_[other];
        const std::int64_t reach = bound_ ? *bound_ - depth_[side] : 0; // straight distance left to the other end
        next_.clear();
        const std::vector<Front>& fronts = fronts_[side];
        for (std::size_t at = 0; at < fronts.size(); ++at) {
            const Front& front = fronts[at];
            if ((++expanded_ & 0xFFFF) == 0 && cancel_ && cancel_->load(std::memory_order_relaxed))
                return false;
            if (at + kLookAhead < fronts.size())
                Prefetch(side, fronts[at + kLookAhead]);
            const std::uint64_t cells = front.cells;
            const std::uint64_t spread = cells | cells << 1 | cells >> 1;
            const std::uint64_t below = cells >> 63, above = cells << 63;
            for (std::uint32_t column = front.column - 1; column <= front.column + 1; ++column) {
                if (bound_ && std::abs(std::int64_t(column) - 1 - target.x) > reach)
                    continue;
                const std::int64_t firstRow = target.y - reach, lastRow = target.y + reach;
                auto reachOf = [&](std::uint32_t word) {
                    return bound_ ? BitRange(firstRow - std::int64_t(word) * 64, lastRow - std::int64_t(word) * 64) : ~0ULL;
                };
                if (Enter(side, label, column, front.word, spread & reachOf(front.word)))
                    return true;
                if (below && front.word + 1 < words_ && Enter(side, label, column, front.word + 1, below & reachOf(front.word + 1)))
                    return true;
                if (above && front.word > 0 && Enter(side, label, column, front.word - 1, above & reachOf(front.word - 1)))
                    return true;
            }
        }
        frontBytes_ = std::max(frontBytes_, (fronts_[0].capacity() + fronts_[1].capacity() + next_.capacity()) * sizeof(Front));
        fronts_[side].swap(next_);
        return false;
    }

    // The fronts are spread over the map: the words a front will read are
    // asked for while the fronts before it are worked on.
    static constexpr std::size_t kLookAhead = 8;
    void Prefetch(int side, const Front& front) const
    {
        for (std::uint32_t column = front.column - 1; column <= front.column + 1; ++column) {
            const std::size_t index = Index(column, front.word);
            __builtin_prefetch(&labels_[side][index]);
            __builtin_prefetch(&walk_[index]);
        }
    }

    bool Enter(int side, int label, std::uint32_t column, std::uint32_t word, std::uint64_t cells)
    {
        const std::size_t index = Index(column, word);
        WordLabels& labels = labels_[side][index];
        const std::uint64_t fresh = cells & walk_[index] & ~labels.Reached();
        if (!fresh)
            return false;
        labels.Add(label, fresh);
        if (!next_.empty() && next_.back().column == column && next_.back().word == word)
            next_.back().cells |= fresh;
        else
            next_.push_back({column, word, fresh});
        const std::uint64_t met = fresh & labels_[1 - side][index].Reached();
        if (!met)
            return false;
        meet_ = {int(column) - 1, int(word) * 64 + __builtin_ctzll(met)};
        return true;
    }

    bool HasLabel(int side, Cell cell, int label) const
    {
        if (!grid_.IsWalkable(cell))
            return false;
        const WordLabels& labels = labels_[side][Index(std::uint32_t(cell.x + 1), std::uint32_t(cell.y >> 6))];
        return labels.WithLabel(label) >> (cell.y & 63) & 1;
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
    RouteSteps Trace() const
    {
        // Each wave reached the meeting cell at its present depth.
        const std::int64_t distance[2] = {depth_[0], depth_[1]};
        RouteSteps steps(ends_[0], std::size_t(distance[0] + distance[1]));
        Cell at = meet_;
        for (std::int64_t d = distance[0]; d > 0; --d) {
            const Cell before = Closer(0, at, d - 1);
            steps.Set(std::size_t(d - 1), StepIndex(at.x - before.x, at.y - before.y));
            at = before;
        }
        at = meet_;
        for (std::int64_t d = distance[1], index = distance[0]; d > 0; --d, ++index) {
            const Cell after = Closer(1, at, d - 1);
            steps.Set(std::size_t(index), StepIndex(after.x - at.x, after.y - at.y));
            at = after;
        }
        return steps;
    }

    const RouteGrid& grid_;
    const std::uint32_t words_;
    const Cell ends_[2];
    const std::optional<std::int64_t> bound_;
    const std::atomic<bool>* cancel_;
    std::unique_ptr<WordLabels[], FreeMemory> labels_[2];
    const std::uint64_t* walk_; // the grid's words, placed as the labels
    std::vector<Front> fronts_[2];
    std::vector<Front> next_;
    std::int64_t depth_[2] = {0, 0};
    Cell meet_;
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
