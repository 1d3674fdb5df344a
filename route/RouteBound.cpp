#include "route/RouteBound.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

std::uint32_t Packed(Cell cell)
{
    return std::uint32_t(cell.x) << 16 | std::uint32_t(cell.y);
}

Cell Unpacked(std::uint32_t packed)
{
    return {int(packed >> 16), int(packed & 0xFFFF)};
}

// The cells looked at, by open addressing: the steps from `from`, the step
// that entered the cell and whether it was expanded, in 32 bits. It starts
// small and doubles when half full: most searches look at few cells.
class CellTable {
public:
    struct Slot {
        std::uint32_t key = 0; // cell + 1: 0 is a free slot
        std::uint32_t value = 0;

        std::uint32_t Steps() const { return value & 0x0FFFFFFF; }
        int Step() const { return int(value >> 28 & 7); }
        bool Expanded() const { return value >> 31; }
    };

    // The slot of the cell, and whether it was free. The slot stays put
    // until the next call.
    std::pair<Slot*, bool> Find(std::uint32_t cell)
    {
        if (2 * (used_ + 1) > slots_.size())
            Grow();
        Slot& slot = SlotOf(slots_, cell);
        const bool fresh = slot.key == 0;
        if (fresh) {
            slot.key = cell + 1;
            ++used_;
        }
        return {&slot, fresh};
    }
    std::size_t MemoryBytes() const { return slots_.capacity() * sizeof(Slot); }

private:
    static Slot& SlotOf(std::vector<Slot>& slots, std::uint32_t cell)
    {
        const std::size_t mask = slots.size() - 1;
        for (std::size_t at = (cell * 0x9E3779B1u) & mask;; at = (at + 1) & mask)
            if (slots[at].key == cell + 1 || slots[at].key == 0)
                return slots[at];
    }

    void Grow()
    {
        std::vector<Slot> larger(std::max<std::size_t>(4096, 2 * slots_.size()));
        for (const Slot& slot : slots_)
            if (slot.key)
                SlotOf(larger, slot.key - 1) = slot;
        slots_.swap(larger);
    }

    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

struct Open {
    std::uint32_t rank; // steps + weight times the distance left
    std::uint32_t steps;
    std::uint32_t cell;

    // The heap's top is the least rank, the most steps among equals.
    bool operator<(const Open& other) const
    {
        return rank != other.rank ? rank > other.rank : steps < other.steps;
    }
};

std::uint32_t Distance(Cell a, Cell b)
{
    return std::uint32_t(std::max(std::abs(a.x - b.x), std::abs(a.y - b.y)));
}

RouteSteps Trace(CellTable& table, Cell from, Cell to)
{
    auto before = [&](Cell at) {
        const int step = table.Find(Packed(at)).first->Step();
        return Cell{at.x - kStepX[step], at.y - kStepY[step]};
    };
    RouteSteps steps(from, table.Find(Packed(to)).first->Steps());
    std::size_t index = steps.Count();
    for (Cell at = to; at != from; at = before(at))
        steps.Set(--index, table.Find(Packed(at)).first->Step());
    return steps;
}

} // namespace

QuickRoute SearchHeadingForGoal(const RouteGrid& grid, Cell from, Cell to, int weight, std::size_t budget,
                                const std::atomic<bool>* cancel, RouteSearchCost* cost)
{
    CellTable table;
    std::vector<Open> open;
    auto push = [&](Cell cell, std::uint32_t steps, int step) {
        auto [slot, fresh] = table.Find(Packed(cell));
        if (!fresh && (slot->Expanded() || slot->Steps() <= steps))
            return;
        slot->value = steps | std::uint32_t(step) << 28;
        open.push_back({steps + std::uint32_t(weight) * Distance(cell, to), steps, Packed(cell)});
        std::push_heap(open.begin(), open.end());
    };
    auto report = [&](QuickRoute::Outcome outcome, std::size_t expanded) {
        if (cost)
            *cost = {table.MemoryBytes() + open.capacity() * sizeof(Open), expanded};
        return QuickRoute{outcome, std::nullopt};
    };
    push(from, 0, 0);
    std::size_t expanded = 0;
    while (!open.empty()) {
        std::pop_heap(open.begin(), open.end());
        const Open top = open.back();
        open.pop_back();
        CellTable::Slot* slot = table.Find(top.cell).first;
        if (slot->Expanded() || slot->Steps() != top.steps)
            continue; // reached in fewer steps since
        if (++expanded > budget || (cancel && cancel->load(std::memory_order_relaxed)))
            return report(QuickRoute::kGaveUp, expanded);
        slot->value |= 1U << 31;
        const Cell at = Unpacked(top.cell);
        if (at == to) {
            QuickRoute found = report(QuickRoute::kFound, expanded);
            found.steps = Trace(table, from, to);
            return found;
        }
        for (int step = 0; step < 8; ++step) {
            const Cell next{at.x + kStepX[step], at.y + kStepY[step]};
            if (grid.IsWalkable(next))
                push(next, top.steps + 1, step);
        }
    }
    return report(QuickRoute::kNoRoute, expanded);
}
