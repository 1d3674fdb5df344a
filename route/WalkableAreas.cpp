#include "route/WalkableAreas.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// The walkable cells of a column as bits, 64 rows a word.
void WalkableBits(const std::uint8_t* column, int rows, std::vector<std::uint64_t>& bits)
{
    bits.assign((std::size_t(rows) + 63) / 64, 0);
    int y = 0;
#ifdef __SSE2__
    const __m128i blocked = _mm_set1_epi8(char(kWalkBlocked));
    for (; y + 16 <= rows; y += 16) {
        const __m128i values = _mm_loadu_si128(reinterpret_cast<const __m128i*>(column + y));
        const auto walkable = std::uint64_t(~_mm_movemask_epi8(_mm_cmpeq_epi8(values, blocked)) & 0xFFFF);
        bits[std::size_t(y) / 64] |= walkable << (y % 64);
    }
#endif
    for (; y < rows; ++y)
        if (column[y] != kWalkBlocked)
            bits[std::size_t(y) / 64] |= std::uint64_t(1) << (y % 64);
}

int LowestBit(std::uint64_t word)
{
    return __builtin_ctzll(word);
}

// Calls visit(first, last) for each run of set bits, top to bottom.
template <typename Visit>
void ForEachRun(const std::vector<std::uint64_t>& bits, Visit visit)
{
    int runStart = -1;
    for (std::size_t i = 0; i < bits.size(); ++i) {
        std::uint64_t word = bits[i];
        const int base = int(i * 64);
        int at = 0;
        while (at < 64) {
            if (runStart < 0) {
                const std::uint64_t ahead = at == 0 ? word : word >> at;
                if (ahead == 0)
                    break;
                at += LowestBit(ahead);
                runStart = base + at;
            }
            const std::uint64_t gaps = at == 0 ? ~word : ~word >> at;
            if (gaps == 0 || at + LowestBit(gaps) >= 64)
                break; // the run goes on into the next word
            at += LowestBit(gaps);
            visit(runStart, base + at - 1);
            runStart = -1;
        }
    }
    if (runStart >= 0)
        visit(runStart, int(bits.size() * 64) - 1);
}

} // namespace

std::optional<WalkableAreas> WalkableAreas::Of(const TMatrix& walk, const std::atomic<bool>* cancel)
{
    WalkableAreas areas;
    areas.firstRuns_.reserve(std::size_t(walk.Columns()) + 1);
    std::vector<std::uint64_t> bits;
    for (int x = 0; x < walk.Columns(); ++x) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return std::nullopt;
        const std::uint32_t previous = x == 0 ? 0 : areas.firstRuns_.back();
        const auto begin = std::uint32_t(areas.runs_.size());
        areas.firstRuns_.push_back(begin);
        WalkableBits(walk[x], walk.Rows(), bits);
        ForEachRun(bits, [&](int first, int last) {
            const auto run = std::uint32_t(areas.runs_.size());
            areas.runs_.push_back({std::uint16_t(first), std::uint16_t(std::min(last, walk.Rows() - 1)), run});
        });
        // Runs of the column before that touch a run of this one: rows
        // overlapping, or meeting at a corner.
        std::uint32_t left = previous;
        for (std::uint32_t run = begin; run < areas.runs_.size(); ++run) {
            const Run here = areas.runs_[run];
            while (left < begin && areas.runs_[left].last + 1 < here.first)
                ++left;
            for (std::uint32_t touching = left; touching < begin && areas.runs_[touching].first <= here.last + 1; ++touching) {
                if (areas.runs_[run].area == run)
                    areas.runs_[run].area = areas.Root(touching); // the first run it touches: no union needed
                else
                    areas.Join(touching, run);
            }
        }
        // The next column joins these: their roots one step away.
        for (std::uint32_t run = previous; run < begin; ++run)
            areas.runs_[run].area = areas.runs_[areas.runs_[run].area].area;
    }
    areas.firstRuns_.push_back(std::uint32_t(areas.runs_.size()));
    areas.runs_.shrink_to_fit();
    // A run's parent always comes before it: in this order each parent
    // already names its area.
    for (Run& run : areas.runs_)
        run.area = areas.runs_[run.area].area;
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
