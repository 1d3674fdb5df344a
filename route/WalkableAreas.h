#pragma once
// The areas of a map that a player can walk between: two walkable cells lie
// in one area exactly when a route joins them (Route.h: 8 neighbours, every
// walkable cell can be entered from each of its neighbours, so walking is
// the same both ways). A route between two areas is refused without a search.
//
// Contract:
// - Built once for a map from the runs of walkable cells down each column,
//   each run joined with the runs of the column before that touch it, side
//   by side or at a corner. 8 bytes a run and 4 a column: whatever the map at
//   most 4 bytes a cell and 8 a column (a column of H cells has at most
//   (H + 1) / 2 runs), far less on maps of rooms and corridors.
// - Of() gives std::nullopt when `cancel` was set before it ended; throws
//   std::bad_alloc when the memory cannot be had.

#include "map/MapFormat.h"
#include "route/RouteSteps.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

class WalkableAreas {
public:
    static std::optional<WalkableAreas> Of(const TMatrix& walk, const std::atomic<bool>* cancel = nullptr);

    // The area of a walkable cell; none for a blocked cell or one outside the map.
    std::optional<std::uint32_t> AreaOf(Cell cell) const;
    // Both walkable and in one area.
    bool Joined(Cell a, Cell b) const;
    std::size_t AreaCount() const;
    std::size_t MemoryBytes() const;

private:
    struct Run {
        std::uint16_t first;
        std::uint16_t last;
        std::uint32_t area; // while building: the run it was joined to
    };

    std::uint32_t Root(std::uint32_t run);
    void Join(std::uint32_t a, std::uint32_t b);

    std::vector<Run> runs_;                 // column by column, each column's runs downwards
    std::vector<std::uint32_t> firstRuns_;  // the first run of each column, and the end
};
