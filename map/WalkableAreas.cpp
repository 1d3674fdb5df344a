#include "WalkableAreas.h"

#include <algorithm>

namespace {

template <typename Visit>
void ForEachRun(const std::uint8_t* column, int rows, Visit visit)
{
    for (int y = 0; y < rows;) {
        if (column[y] == kWalkBlocked) {
            ++y;
            continue;
        }
        const int first = y;
        while (y < rows && column[y] != kWalkBlocked)
            ++y;
        visit(first, y - 1);
    }
}

} // namespace

std::optional<WalkableAreas> WalkableAreas::Of(const TMatrix& walk, const std::atomic<bool>* cancel)
{
    WalkableAreas areas;
    areas.firstRuns_.reserve(std::size_t(walk.Columns()) + 1);
    for (int x = 0; x < walk.Columns(); ++x) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return std::nullopt;
        const std::uint32_t previous = x == 0 ? 0 : areas.firstRuns_.back();
        const std::uint32_t begin = std::uint32_t(areas.runs_.size());
        areas.firstRuns_.push_back(begin);
        ForEachRun(walk[x], walk.Rows(), [&](int first, int last) {
            const auto run = std::uint32_t(areas.runs_.size());
            areas.runs_.push_back({std::uint16_t(first), std::uint16_t(last), run});
        });
        // Runs of the column before that touch a run of this one: rows
        // overlapping, or meeting at a corner.
        std::uint32_t left = previous;
        for (std::uint32_t run = begin; run < areas.runs_.size(); ++run) {
            const Run here = areas.runs_[run];
            while (left < begin && areas.runs_[left].last + 1 < here.first)
                ++left;
            for (std::uint32_t touching = left; touching < begin && areas.runs_[touching].first <= here.last + 1; ++touching)
                areas.Join(touching, run);
        }
    }
    areas.firstRuns_.push_back(std::uint32_t(areas.runs_.size()));
    areas.runs_.shrink_to_fit();
    for (std::uint32_t run = 0; run < areas.runs_.size(); ++run)
        areas.runs_[run].area = areas.Root(run);
    return areas;
}

// Path halving: each run looked at on the way points past its parent.
std::uint32_t WalkableAreas::Root(std::uint32_t run)
{
    while (runs_[run].area != run) {
        runs_[run].area = runs_[runs_[run].area].area;
        run = runs_[run].area;
    }
    return run;
}

void WalkableAreas::Join(std::uint32_t a, std::uint32_t b)
{
    a = Root(a);
    b = Root(b);
    if (a != b)
        runs_[std::max(a, b)].area = std::min(a, b);
}

std::optional<std::uint32_t> WalkableAreas::AreaOf(Cell cell) const
{
    if (cell.x < 0 || cell.y < 0 || std::size_t(cell.x) + 1 >= firstRuns_.size())
        return std::nullopt;
    const auto begin = runs_.begin() + firstRuns_[std::size_t(cell.x)];
    const auto end = runs_.begin() + firstRuns_[std::size_t(cell.x) + 1];
    const auto after = std::upper_bound(begin, end, cell.y, [](int y, const Run& run) { return y < run.first; });
    if (after == begin || (after - 1)->last < cell.y)
        return std::nullopt;
    return (after - 1)->area;
}

bool WalkableAreas::Joined(Cell a, Cell b) const
{
    const std::optional<std::uint32_t> area = AreaOf(a);
    return area && area == AreaOf(b);
}

std::size_t WalkableAreas::AreaCount() const
{
    std::size_t count = 0;
    for (std::uint32_t run = 0; run < runs_.size(); ++run)
        count += runs_[run].area == run;
    return count;
}

std::size_t WalkableAreas::MemoryBytes() const
{
    return runs_.capacity() * sizeof(Run) + firstRuns_.capacity() * sizeof(std::uint32_t);
}
