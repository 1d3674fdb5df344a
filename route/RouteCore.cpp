#include "route/RouteCore.h"

#include "route/RouteGrid.h"

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

namespace {

constexpr int kMaxSide = 65535; // so that a cell's index fits in 32 bits

int Distance(int a, int b)
{
    return std::max(std::abs(kStepX[a] - kStepX[b]), std::abs(kStepY[a] - kStepY[b]));
}

// Whether a cell whose remaining neighbours are `ring` (a bit per step) can
// go: every two of them not next to each other have another in common.
bool WearsAway(int ring)
{
    if (ring == 0)
        return false; // a cell alone stays, so that every walkable cell reaches the core
    for (int a = 0; a < 8; ++a) {
        for (int b = a + 1; b < 8; ++b) {
            if (!(ring >> a & 1) || !(ring >> b & 1) || Distance(a, b) <= 1)
                continue;
            bool joined = false;
            for (int w = 0; w < 8 && !joined; ++w)
                joined = w != a && w != b && (ring >> w & 1) && Distance(a, w) <= 1 && Distance(b, w) <= 1;
            if (!joined)
                return false;
        }
    }
    return true;
}

const std::array<bool, 256>& RingsThatWearAway()
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> rings{};
        for (int ring = 0; ring < 256; ++ring)
            rings[std::size_t(ring)] = WearsAway(ring);
        return rings;
    }();
    return table;
}

bool Cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

} // namespace

// Wears the map down, with bits of its own for the cells still there, the
// first layer and the cells waiting, each padded by a word at both ends so
// that a cell's neighbours can be read three at a time.
class CoreBuilder {
public:
    CoreBuilder(const TMatrix& walk, RouteCore& core, const std::atomic<bool>* cancel)
        : walk_(walk), core_(core), cancel_(cancel), cells_(std::size_t(core.columns_) * std::size_t(core.rows_)),
          present_(PaddedWords()), firstLayer_(PaddedWords()), queued_(PaddedWords())
    {
    }

    // False when cancelled.
    bool Run() { return MarkWalkable() && FindFirstLayer() && WearFirstLayer() && WearLaterLayers() && Finish(); }

    // The strands leaving the crossings, once Run() is done.
    std::size_t StrandEnds() const { return strandEnds_; }

private:
    static constexpr std::size_t kPad = 64;

    std::size_t PaddedWords() const { return (cells_ + 2 * kPad + 63) / 64 + 1; }
    static bool Has(const std::vector<std::uint64_t>& bits, std::size_t index)
    {
        return bits[(index + kPad) / 64] >> ((index + kPad) % 64) & 1;
    }
    static void Set(std::vector<std::uint64_t>& bits, std::size_t index)
    {
        bits[(index + kPad) / 64] |= 1ULL << ((index + kPad) % 64);
    }
    static void Clear(std::vector<std::uint64_t>& bits, std::size_t index)
    {
        bits[(index + kPad) / 64] &= ~(1ULL << ((index + kPad) % 64));
    }
    // Bits index - reach to index + reach (reach 1 or 2).
    static int Around(const std::vector<std::uint64_t>& bits, std::size_t index, int reach)
    {
        const std::size_t at = index + kPad - std::size_t(reach), width = 2 * std::size_t(reach) + 1;
        std::uint64_t word = bits[at / 64] >> (at % 64);
        if (at % 64 + width > 64)
            word |= bits[at / 64 + 1] << (64 - at % 64);
        return int(word & ((1U << width) - 1));
    }

    // The neighbours set in `bits`, a bit per step (kStepX).
    int Ring(const std::vector<std::uint64_t>& bits, int x, int y, std::size_t index) const
    {
        const int rows = (y == 0 ? 6 : 7) & (y == core_.rows_ - 1 ? 3 : 7);
        const int left = x > 0 ? Around(bits, index - std::size_t(core_.rows_), 1) & rows : 0;
        const int middle = Around(bits, index, 1) & rows;
        const int right = x + 1 < core_.columns_ ? Around(bits, index + std::size_t(core_.rows_), 1) & rows : 0;
        return left | (middle & 1) << 3 | (middle >> 2) << 4 | right << 5;
    }

    // The cells still there round a cell, 5 x 5: column x - 2 + i in
    // columns[i], row y - 2 + j in its bit j. A cell that goes changes the
    // rings of its neighbours, all read from here.
    struct Window {
        int columns[5];

        int RingAt(int dx, int dy) const
        {
            auto three = [&](int column) { return columns[column] >> (1 + dy) & 7; };
            const int middle = three(2 + dx);
            return three(1 + dx) | (middle & 1) << 3 | (middle >> 2) << 4 | three(3 + dx) << 5;
        }
    };

    Window WindowAt(int x, int y, std::size_t index) const
    {
        const int low = std::max(0, 2 - y), high = std::min(4, core_.rows_ + 1 - y);
        const int rows = ((1 << (high + 1)) - 1) & ~((1 << low) - 1);
        Window window{};
        for (int i = 0; i < 5; ++i)
            if (x - 2 + i >= 0 && x - 2 + i < core_.columns_)
                window.columns[i] = Around(present_, index + std::size_t(std::ptrdiff_t(i - 2) * core_.rows_), 2) & rows;
        return window;
    }

    // The values lie column after column, as the cells' indices count.
    bool MarkWalkable()
    {
        const std::uint8_t* values = walk_[0];
        for (std::size_t first = 0; first < cells_; first += 64) {
            if (TimeToLook(first / 64) && Cancelled(cancel_))
                return false;
            present_[first / 64 + 1] = WalkableBits(values + first, int(std::min<std::size_t>(64, cells_ - first)));
        }
        return true;
    }

    // Every 4096 words or cells of a layer, some 20 ms of work at most.
    static bool TimeToLook(std::size_t count) { return (count & 0xFFF) == 0; }

    // Calls visit(x, y, index) for each cell set in `bits`, in order.
    template <typename Visit>
    bool ForEachCell(const std::vector<std::uint64_t>& bits, Visit&& visit) const
    {
        int x = 0;
        std::size_t columnStart = 0;
        for (std::size_t word = 1; word + 1 < bits.size(); ++word) {
            if (TimeToLook(word) && Cancelled(cancel_))
                return false;
            for (std::uint64_t set = bits[word]; set; set &= set - 1) {
                const std::size_t index = (word - 1) * 64 + std::size_t(__builtin_ctzll(set));
                if (index >= cells_)
                    return true;
                while (index >= columnStart + std::size_t(core_.rows_)) {
                    columnStart += std::size_t(core_.rows_);
                    ++x;
                }
                visit(x, int(index - columnStart), index);
            }
        }
        return true;
    }

    bool FindFirstLayer()
    {
        return ForEachCell(present_, [this](int x, int y, std::size_t index) {
            if (RingsThatWearAway()[std::size_t(Ring(present_, x, y, index))])
                Set(firstLayer_, index);
        });
    }

    // Takes the cell away when it can go; then its neighbours that can go
    // now and will not be seen otherwise wait for the next layer. (Those that
    // cannot go yet wait for another neighbour to go: put in the next layer
    // at once, they leave the tight maze 40% more crossings.)
    void TryWear(int x, int y, std::size_t index, bool firstLayer)
    {
        if (!Has(present_, index))
            return;
        Window window = WindowAt(x, y, index);
        const int ring = window.RingAt(0, 0);
        if (!RingsThatWearAway()[std::size_t(ring)])
            return;
        Clear(present_, index);
        window.columns[2] &= ~4;
        core_.nibbles_[index / 2] |= std::uint8_t((ring >> 4) << (index % 2 * 4)); // the steps 4 to 7 still there
        for (int step = 0; step < 8; ++step) {
            if (!(ring >> step & 1))
                continue;
            const int nx = x + kStepX[step], ny = y + kStepY[step];
            const std::size_t next = index + std::size_t(std::ptrdiff_t(kStepX[step]) * core_.rows_ + kStepY[step]);
            const bool seenLater = firstLayer && next > index && Has(firstLayer_, next);
            if (!seenLater && !Has(queued_, next) && RingsThatWearAway()[std::size_t(window.RingAt(kStepX[step], kStepY[step]))]) {
                Set(queued_, next);
                next_.push_back(std::uint32_t(nx) << 16 | std::uint32_t(ny));
            }
        }
    }

    // The cells that can go on the map as it is, in the order they lie.
    bool WearFirstLayer()
    {
        return ForEachCell(firstLayer_, [this](int x, int y, std::size_t index) { TryWear(x, y, index, true); });
    }

    // The cells that could go once their neighbours had gone, first in,
    // first out: a queue that gives its memory back as it empties.
    bool WearLaterLayers()
    {
        for (std::size_t count = 0; !next_.empty(); ++count) {
            if (TimeToLook(count) && Cancelled(cancel_))
                return false;
            const int x = int(next_.front() >> 16), y = int(next_.front() & 0xFFFF);
            next_.pop_front();
            const std::size_t index = core_.IndexOf(x, y);
            Clear(queued_, index);
            TryWear(x, y, index, false);
        }
        return true;
    }

    // The marks: the cells still there (core) and the blocked cells, whose
    // half bytes become 15. The crossings: core cells without two core
    // neighbours.
    bool Finish()
    {
        static constexpr std::uint8_t kBlockedPair[4] = {0x00, 0x0F, 0xF0, 0xFF};
        const std::uint8_t* values = walk_[0];
        for (std::size_t word = 0; word < core_.marks_.size(); ++word) {
            if (TimeToLook(word) && Cancelled(cancel_))
                return false;
            const std::size_t first = word * 64, count = std::min<std::size_t>(64, cells_ - first);
            const std::uint64_t inside = count == 64 ? ~0ULL : (1ULL << count) - 1;
            const std::uint64_t blocked = ~WalkableBits(values + first, int(count)) & inside;
            core_.marks_[word] = present_[word + 1] | blocked;
            core_.coreCells_ += std::size_t(__builtin_popcountll(present_[word + 1]));
            for (std::size_t pair = 0; pair < (count + 1) / 2; ++pair)
                core_.nibbles_[first / 2 + pair] |= kBlockedPair[blocked >> (2 * pair) & 3];
        }
        const bool whole = ForEachCell(present_, [this](int x, int y, std::size_t index) {
            const int neighbours = __builtin_popcount(unsigned(Ring(present_, x, y, index)));
            if (neighbours != 2) {
                core_.crossingCells_.push_back(std::uint32_t(index));
                strandEnds_ += std::size_t(neighbours);
            }
        });
        core_.crossingCells_.shrink_to_fit();
        return whole;
    }

    const TMatrix& walk_;
    RouteCore& core_;
    const std::atomic<bool>* cancel_;
    const std::size_t cells_;
    std::vector<std::uint64_t> present_;
    std::vector<std::uint64_t> firstLayer_;
    std::vector<std::uint64_t> queued_;
    std::deque<std::uint32_t> next_; // packed x << 16 | y
    std::size_t strandEnds_ = 0;
};

RouteCore::RouteCore(int columns, int rows)
    : columns_(columns), rows_(rows), marks_((std::size_t(columns) * std::size_t(rows) + 63) / 64),
      nibbles_((std::size_t(columns) * std::size_t(rows) + 1) / 2)
{
}

std::optional<RouteCore> RouteCore::Of(const TMatrix& walk, const std::atomic<bool>* cancel, double mostBytesPerCell)
{
    if (walk.Columns() > kMaxSide || walk.Rows() > kMaxSide)
        throw std::invalid_argument("a route is searched on at most 65535 x 65535 cells");
    RouteCore core(walk.Columns(), walk.Rows());
    std::size_t strandEnds = 0;
    {
        CoreBuilder builder(walk, core, cancel);
        if (!builder.Run())
            return std::nullopt;
        strandEnds = builder.StrandEnds();
    }
    const std::size_t cells = std::size_t(core.columns_) * std::size_t(core.rows_);
    const std::size_t crossings = core.crossingCells_.size();
    const double bytes = double(core.MemoryBytes() + 4 * (crossings + 1) + sizeof(Strand) * strandEnds +
                                kSearchBytesPerCrossing * crossings);
    // A strand's length is kept in 29 bits.
    if (bytes > mostBytesPerCell * double(cells) || core.coreCells_ >= std::size_t(1) << 29 || Cancelled(cancel))
        return std::nullopt;
    core.strands_.reserve(strandEnds);
    if (!core.Link(cancel))
        return std::nullopt;
    return core;
}

bool RouteCore::Link(const std::atomic<bool>* cancel)
{
    firstStrand_.reserve(crossingCells_.size() + 1);
    for (const std::uint32_t index : crossingCells_) {
        if ((firstStrand_.size() & 0xFFF) == 0 && Cancelled(cancel))
            return false;
        firstStrand_.push_back(std::uint32_t(strands_.size()));
        const Cell cell{int(index / std::uint32_t(rows_)), int(index % std::uint32_t(rows_))};
        const int steps = CoreSteps(cell.x, cell.y);
        for (int step = 0; step < 8; ++step) {
            if (!(steps >> step & 1))
                continue;
            const StrandEnd end = Follow(cell, step);
            const std::uint32_t other = std::uint32_t(CrossingOf(IndexOf(end.cell.x, end.cell.y)));
            strands_.push_back({other, end.length << 3 | std::uint32_t(step)});
        }
    }
    firstStrand_.push_back(std::uint32_t(strands_.size()));
    return true;
}

std::size_t RouteCore::MemoryBytes() const
{
    return marks_.capacity() * sizeof(std::uint64_t) + nibbles_.capacity() + crossingCells_.capacity() * 4 +
           firstStrand_.capacity() * 4 + strands_.capacity() * sizeof(Strand);
}

bool RouteCore::IsWalkable(Cell cell) const
{
    return cell.x >= 0 && cell.y >= 0 && cell.x < columns_ && cell.y < rows_ && WalkableAt(IndexOf(cell.x, cell.y));
}

bool RouteCore::IsCore(Cell cell) const
{
    return IsWalkable(cell) && CoreAt(IndexOf(cell.x, cell.y));
}

int RouteCore::CoreSteps(int x, int y) const
{
    int steps = 0;
    for (int step = 0; step < 8; ++step) {
        const int nx = x + kStepX[step], ny = y + kStepY[step];
        if (nx >= 0 && ny >= 0 && nx < columns_ && ny < rows_ && CoreAt(IndexOf(nx, ny)))
            steps |= 1 << step;
    }
    return steps;
}

// Steps 4 to 7 are told by the cell's own half byte. Step k below 4 leads
// to a neighbour for which the step back is 7 - k, told by its half byte:
// clear when this cell had gone before it, so that it lies higher.
int RouteCore::UpSteps(int x, int y) const
{
    const std::size_t index = IndexOf(x, y);
    int steps = Nibble(index) << 4;
    for (int step = 0; step < 4; ++step) {
        const int nx = x + kStepX[step], ny = y + kStepY[step];
        if (nx < 0 || ny < 0 || ny >= rows_)
            continue;
        const std::size_t next = IndexOf(nx, ny);
        if (Marked(next) ? Nibble(next) == 0 : !(Nibble(next) >> (3 - step) & 1))
            steps |= 1 << step;
    }
    return steps;
}

std::int64_t RouteCore::CrossingOf(std::size_t index) const
{
    const auto found = std::lower_bound(crossingCells_.begin(), crossingCells_.end(), std::uint32_t(index));
    return found != crossingCells_.end() && *found == index ? found - crossingCells_.begin() : -1;
}

RouteCore::StrandEnd RouteCore::Follow(Cell from, int step, const std::function<void(Cell, int)>& visit) const
{
    Cell at{from.x + kStepX[step], from.y + kStepY[step]};
    for (std::uint32_t length = 1;; ++length) {
        if (visit)
            visit(at, step);
        const int steps = CoreSteps(at.x, at.y);
        if (__builtin_popcount(unsigned(steps)) != 2)
            return {at, length, true};
        if (at == from)
            return {at, length, false};
        step = __builtin_ctz(unsigned(steps & ~(1 << (7 - step))));
        at = Cell{at.x + kStepX[step], at.y + kStepY[step]};
    }
}

namespace {

// A cell reached on the way up from an end: its steps from the end and the
// step into it (8 at the end itself).
struct Reached {
    std::uint32_t steps;
    int step;
};

// The cells reached on the way up from an end, and the core cells among
// them, not gone beyond: the end's entries into the core.
struct WayUp {
    std::unordered_map<std::uint32_t, Reached> cells;
    std::vector<std::uint32_t> entries;

    std::size_t MemoryBytes() const
    {
        return cells.size() * (sizeof(std::uint32_t) + sizeof(Reached) + 2 * sizeof(void*)) + entries.capacity() * 4;
    }
};

// The way from an entry into the core along a strand to a crossing: the
// entry, the step out of it (-1: the entry is the crossing), the steps from
// the end in all.
struct Leg {
    std::uint32_t entry;
    int step;
    std::uint64_t steps;
};

constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();

// How the shortest route so far joins the start to the goal.
struct Joint {
    enum Kind { kWaysUpMeet, kOnOneStrand, kAcross } kind = kWaysUpMeet;
    std::uint64_t length = kNone;
    std::uint32_t cell = 0;        // kWaysUpMeet: reached from both ends; else the start's entry
    int step = 0;                  // out of the start's entry
    std::uint32_t strandSteps = 0; // kOnOneStrand: to the goal's entry
    std::uint32_t crossing = 0;    // kAcross: where the start's leg meets the goal's side
};

} // namespace

// The walks through a core that the searches share.
class CoreWalks {
public:
    explicit CoreWalks(const RouteCore& core) : core_(core) {}

    const RouteCore& Core() const { return core_; }
    bool IsCrossing(std::uint32_t index) const { return core_.CrossingOf(index) >= 0; }

    Cell CellAt(std::size_t index) const
    {
        return {int(index / std::size_t(core_.rows_)), int(index % std::size_t(core_.rows_))};
    }
    std::uint32_t IndexAt(Cell cell) const { return std::uint32_t(core_.IndexOf(cell.x, cell.y)); }

    // Breadth first from the end, each cell to its neighbours that went
    // later; core cells reached are the end's entries.
    WayUp GoUp(Cell end, std::size_t& expanded) const
    {
        WayUp up;
        const std::uint32_t start = IndexAt(end);
        up.cells[start] = {0, 8};
        std::vector<std::uint32_t> queue{start};
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const std::uint32_t index = queue[head];
            if (core_.CoreAt(index)) {
                up.entries.push_back(index);
                continue;
            }
            ++expanded;
            const Cell cell = CellAt(index);
            const std::uint32_t steps = up.cells[index].steps + 1;
            const int upward = core_.UpSteps(cell.x, cell.y);
            for (int step = 0; step < 8; ++step) {
                if (!(upward >> step & 1))
                    continue;
                const std::uint32_t next = IndexAt({cell.x + kStepX[step], cell.y + kStepY[step]});
                if (up.cells.emplace(next, Reached{steps, step}).second)
                    queue.push_back(next);
            }
        }
        return up;
    }

    // arrive(crossing, leg) for the crossings at the ends of an entry's
    // strand, or for the entry itself when it is a crossing.
    template <typename Arrive>
    void Legs(std::uint32_t entry, std::uint32_t steps, Arrive&& arrive) const
    {
        if (core_.CrossingOf(entry) >= 0) {
            arrive(std::uint32_t(core_.CrossingOf(entry)), Leg{entry, -1, steps});
            return;
        }
        ForEachStrandStep(entry, [&](int step) {
            const RouteCore::StrandEnd end = core_.Follow(CellAt(entry), step);
            if (end.crossing)
                arrive(std::uint32_t(core_.CrossingOf(IndexAt(end.cell))), Leg{entry, step, std::uint64_t(steps) + end.length});
        });
    }

    // visit(index) for each cell along a strand from the entry.
    template <typename Visit>
    void Along(std::uint32_t entry, int step, Visit&& visit) const
    {
        core_.Follow(CellAt(entry), step, [&](Cell at, int) { visit(IndexAt(at)); });
    }

    template <typename Visit>
    void ForEachStrandStep(std::uint32_t entry, Visit&& visit) const
    {
        const Cell cell = CellAt(entry);
        const int out = core_.CoreSteps(cell.x, cell.y);
        for (int step = 0; step < 8; ++step)
            if (out >> step & 1)
                visit(step);
    }

    // The crossing a strand leaves from.
    std::uint32_t OwnerOf(std::uint32_t strand) const
    {
        const auto& first = core_.firstStrand_;
        return std::uint32_t(std::upper_bound(first.begin(), first.end(), strand) - first.begin() - 1);
    }
    const RouteCore::Strand& StrandAt(std::uint32_t strand) const { return core_.strands_[strand]; }
    Cell CrossingCell(std::uint32_t crossing) const { return CellAt(core_.crossingCells_[crossing]); }
    std::uint32_t StrandsFrom(std::uint32_t crossing) const { return core_.firstStrand_[crossing]; }
    std::uint32_t Crossings() const { return std::uint32_t(core_.crossingCells_.size()); }
    bool CoreAt(std::uint32_t index) const { return core_.CoreAt(index); }

    // The steps from the end up to the cell, appended.
    void StepsUp(const WayUp& up, std::uint32_t index, std::vector<std::uint8_t>& steps) const
    {
        const std::size_t first = steps.size();
        for (int step = up.cells.at(index).step; step != 8; step = up.cells.at(index).step) {
            steps.push_back(std::uint8_t(step));
            const Cell cell = CellAt(index);
            index = IndexAt({cell.x - kStepX[step], cell.y - kStepY[step]});
        }
        std::reverse(steps.begin() + std::ptrdiff_t(first), steps.end());
    }

    // The steps from the cell down to the end, appended.
    void StepsDown(const WayUp& up, std::uint32_t index, std::vector<std::uint8_t>& steps) const
    {
        for (int step = up.cells.at(index).step; step != 8; step = up.cells.at(index).step) {
            steps.push_back(std::uint8_t(7 - step));
            const Cell cell = CellAt(index);
            index = IndexAt({cell.x - kStepX[step], cell.y - kStepY[step]});
        }
    }

    // The steps along a strand from `from` leaving by `step`: `count` of
    // them, or to its end.
    void StepsAlong(Cell from, int step, std::vector<std::uint8_t>& steps,
                    std::uint32_t count = std::numeric_limits<std::uint32_t>::max()) const
    {
        core_.Follow(from, step, [&](Cell, int next) {
            if (count > 0) {
                steps.push_back(std::uint8_t(next));
                --count;
            }
        });
    }

    // The same steps walked back, from the strand's end to `from`.
    void StepsBack(Cell from, int step, std::vector<std::uint8_t>& steps) const
    {
        const std::size_t first = steps.size();
        core_.Follow(from, step, [&](Cell, int next) { steps.push_back(std::uint8_t(7 - next)); });
        std::reverse(steps.begin() + std::ptrdiff_t(first), steps.end());
    }

private:
    const RouteCore& core_;
};

// The goal's side of the searches to one goal: its way up to the core and
// the crossings, best first from it, as far as the searches so far needed;
// a crossing's steps to the goal, once settled, hold for every start.
class GoalSide {
public:
    GoalSide(const RouteCore& core, Cell goal) : walks_(core), goal_(goal), walkable_(core.IsWalkable(goal))
    {
        if (!walkable_)
            return;
        up_ = walks_.GoUp(goal, expanded_);
        distance_.assign(walks_.Crossings(), kUnreached);
        via_.assign(walks_.Crossings(), 0);
        settled_.assign(walks_.Crossings(), false);
        for (const std::uint32_t entry : up_.entries)
            walks_.Legs(entry, up_.cells[entry].steps, [&](std::uint32_t crossing, const Leg& leg) {
                if (leg.steps >= distance_[crossing])
                    return;
                distance_[crossing] = std::uint32_t(leg.steps);
                via_[crossing] = kFromGoal | std::uint32_t(legs_.size());
                legs_.push_back(leg);
                Push(crossing);
            });
    }

    bool Walkable() const { return walkable_; }
    const RouteCore& Core() const { return walks_.Core(); }

    // The start walkable, and not the goal.
    std::optional<RouteSteps> RouteFrom(Cell start, const std::atomic<bool>* cancel, RouteSearchCost* cost)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::size_t expanded = 0;
        const WayUp up = walks_.GoUp(start, expanded);
        Joint best;
        OfferWaysUpMeeting(up, best);
        const std::unordered_map<std::uint32_t, Leg> legs = StartLegs(up, best);
        const bool finished = Across(legs, best, cancel);
        if (cost)
            *cost = {(distance_.capacity() + via_.capacity()) * 4 + settled_.capacity() / 8 +
                         heap_.capacity() * sizeof(std::uint64_t) + up.MemoryBytes() + up_.MemoryBytes(),
                     expanded + expanded_};
        expanded_ = 0;
        if (!finished || best.length == kNone)
            return std::nullopt;
        return Trace(start, up, best);
    }

private:
    static constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();
    static constexpr std::uint32_t kFromGoal = 1U << 31; // in via_: reached by the goal's leg, its index below

    static void Offer(const Joint& joint, Joint& best)
    {
        if (joint.length < best.length)
            best = joint;
    }

    // Cells reached on the way up from both ends.
    void OfferWaysUpMeeting(const WayUp& up, Joint& best) const
    {
        for (const auto& [index, reached] : up.cells)
            if (const auto goal = up_.cells.find(index); goal != up_.cells.end())
                Offer({Joint::kWaysUpMeet, std::uint64_t(reached.steps) + goal->second.steps, index}, best);
    }

    // The start's legs to crossings, the shortest to each; and the routes
    // along one strand.
    std::unordered_map<std::uint32_t, Leg> StartLegs(const WayUp& up, Joint& best) const
    {
        std::unordered_map<std::uint32_t, Leg> legs;
        for (const std::uint32_t entry : up.entries) {
            const std::uint32_t steps = up.cells.at(entry).steps;
            OfferOnOneStrand(entry, steps, best);
            walks_.Legs(entry, steps, [&](std::uint32_t crossing, const Leg& leg) {
                const auto [found, fresh] = legs.emplace(crossing, leg);
                if (!fresh && leg.steps < found->second.steps)
                    found->second = leg;
            });
        }
        return legs;
    }

    // The routes through the crossings the start's legs reach: at once for
    // those settled before, the others as the goal's side settles them.
    bool Across(const std::unordered_map<std::uint32_t, Leg>& legs, Joint& best, const std::atomic<bool>* cancel)
    {
        auto offer = [&](std::uint32_t crossing, const Leg& leg) {
            Joint joint{Joint::kAcross, distance_[crossing] + leg.steps, leg.entry, leg.step};
            joint.crossing = crossing;
            Offer(joint, best);
        };
        for (const auto& [crossing, leg] : legs)
            if (settled_[crossing])
                offer(crossing, leg);
        return Spread(best.length, cancel, [&](std::uint32_t crossing) {
            if (const auto leg = legs.find(crossing); leg != legs.end())
                offer(crossing, leg->second);
        });
    }

    // The goal's entries on the same strand as a start's entry that is no
    // crossing: routes along the strand alone.
    void OfferOnOneStrand(std::uint32_t entry, std::uint32_t steps, Joint& best) const
    {
        if (walks_.IsCrossing(entry))
            return;
        walks_.ForEachStrandStep(entry, [&](int step) {
            std::uint32_t along = 0;
            walks_.Along(entry, step, [&](std::uint32_t index) {
                ++along;
                const auto goal = up_.cells.find(index);
                if (goal != up_.cells.end() && walks_.CoreAt(index))
                    Offer({Joint::kOnOneStrand, std::uint64_t(steps) + along + goal->second.steps, entry, step, along}, best);
            });
        });
    }

    void Push(std::uint32_t crossing)
    {
        heap_.push_back(std::uint64_t(distance_[crossing]) << 32 | crossing);
        std::push_heap(heap_.begin(), heap_.end(), std::greater<>());
    }

    // Settles crossings best first, settled(crossing) for each, until the
    // next is as far from the goal as `best`; false when cancelled, the
    // crossings settled so far kept.
    template <typename Settled>
    bool Spread(const std::uint64_t& best, const std::atomic<bool>* cancel, Settled&& settled)
    {
        while (!heap_.empty() && (heap_.front() >> 32) < best) {
            if ((++expanded_ & 0xFFFF) == 0 && Cancelled(cancel))
                return false;
            std::pop_heap(heap_.begin(), heap_.end(), std::greater<>());
            const std::uint32_t crossing = std::uint32_t(heap_.back()), steps = std::uint32_t(heap_.back() >> 32);
            heap_.pop_back();
            if (settled_[crossing] || steps != distance_[crossing])
                continue;
            settled_[crossing] = true;
            for (std::uint32_t at = walks_.StrandsFrom(crossing); at < walks_.StrandsFrom(crossing + 1); ++at) {
                const RouteCore::Strand& strand = walks_.StrandAt(at);
                if (std::uint64_t(steps) + strand.Length() < distance_[strand.crossing]) {
                    distance_[strand.crossing] = steps + strand.Length();
                    via_[strand.crossing] = at;
                    Push(strand.crossing);
                }
            }
            settled(crossing);
        }
        return true;
    }

    // The steps of the route from the start.
    RouteSteps Trace(Cell start, const WayUp& up, const Joint& joint) const
    {
        std::vector<std::uint8_t> steps;
        walks_.StepsUp(up, joint.cell, steps);
        switch (joint.kind) {
        case Joint::kWaysUpMeet:
            walks_.StepsDown(up_, joint.cell, steps);
            break;
        case Joint::kOnOneStrand: {
            const std::size_t first = steps.size();
            walks_.StepsAlong(walks_.CellAt(joint.cell), joint.step, steps, joint.strandSteps);
            Cell goalEntry = walks_.CellAt(joint.cell);
            for (std::size_t at = first; at < steps.size(); ++at)
                goalEntry = {goalEntry.x + kStepX[steps[at]], goalEntry.y + kStepY[steps[at]]};
            walks_.StepsDown(up_, walks_.IndexAt(goalEntry), steps);
            break;
        }
        case Joint::kAcross:
            if (joint.step >= 0)
                walks_.StepsAlong(walks_.CellAt(joint.cell), joint.step, steps);
            ToGoal(joint.crossing, steps);
            break;
        }
        RouteSteps route(start, steps.size());
        for (std::size_t at = 0; at < steps.size(); ++at)
            route.Set(at, steps[at]);
        return route;
    }

    // From a settled crossing back along the strands that reached it, then
    // the goal's leg, to the goal.
    void ToGoal(std::uint32_t crossing, std::vector<std::uint8_t>& steps) const
    {
        for (; !(via_[crossing] & kFromGoal); crossing = walks_.OwnerOf(via_[crossing])) {
            const std::uint32_t strand = via_[crossing];
            walks_.StepsBack(walks_.CrossingCell(walks_.OwnerOf(strand)), walks_.StrandAt(strand).Step(), steps);
        }
        const Leg& leg = legs_[via_[crossing] & ~kFromGoal];
        if (leg.step >= 0)
            walks_.StepsBack(walks_.CellAt(leg.entry), leg.step, steps);
        walks_.StepsDown(up_, leg.entry, steps);
    }

    const CoreWalks walks_;
    const Cell goal_;
    const bool walkable_;
    WayUp up_;
    std::vector<Leg> legs_;
    std::vector<std::uint32_t> distance_; // from the goal
    std::vector<std::uint32_t> via_;      // a strand's index, or kFromGoal and a leg's
    std::vector<bool> settled_;
    std::vector<std::uint64_t> heap_;
    std::size_t expanded_ = 0;
    std::mutex mutex_;
};

std::optional<RouteSteps> RouteCore::Find(Cell from, Cell to, const std::atomic<bool>* cancel, RouteSearchCost* cost) const
{
    return RouteToGoal(*this, to).From(from, cancel, cost);
}

RouteToGoal::RouteToGoal(const RouteCore& core, Cell goal) : goal_(goal), side_(std::make_unique<GoalSide>(core, goal)) {}

RouteToGoal::RouteToGoal(std::shared_ptr<const RouteCore> core, Cell goal) : RouteToGoal(*core, goal)
{
    core_ = std::move(core);
}

RouteToGoal::~RouteToGoal() = default;

std::optional<RouteSteps> RouteToGoal::From(Cell start, const std::atomic<bool>* cancel, RouteSearchCost* cost) const
{
    if (cost)
        *cost = {};
    if (!side_->Walkable() || !side_->Core().IsWalkable(start))
        return std::nullopt;
    if (start == goal_)
        return RouteSteps(start, 0);
    return side_->RouteFrom(start, cancel, cost);
}
