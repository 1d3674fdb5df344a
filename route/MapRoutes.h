#pragma once
// The routes of one map, for a program that asks many times (the viewer
// asks every second while the player moves, and again as the mouse moves
// while measuring): what is worked out once for the map is kept here and
// shared by every search on it, from any thread.
//
// Contract:
// - Prepare() starts working out the map's walkable areas (WalkableAreas.h)
//   and then its core (RouteCore.h) on a thread of its own, once; nothing
//   is worked out before it or before the first Find(), so a map only looked
//   at costs nothing more.
// - Find() never waits for that work. Until the core is there it searches
//   the map's bits (RouteGrid.h, made by the first search that needs them
//   and kept); once the areas are there, a goal in another area than the
//   start has no route at once; once the core is there, every search goes
//   through it and the bits go. The goal's side of the core is kept in the
//   asker's KeptGoal for the next route to the same goal (the player's route
//   and the measure each keep their own). The answer is always a shortest
//   route or none.
// - Find() may run on several threads at once; once `cancel` is set it ends
//   soon with none. Memory that cannot be had: none, and Failed() is true
//   for that search's caller to tell.
// - IsRuledOut() answers without a search: a cell outside the map or
//   blocked, or, once the areas are known, the two cells in different areas.
// - The destructor cancels the working out and waits for its thread.

#include "map/MapFormat.h"
#include "route/RouteSteps.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class RouteCore;
class RouteGrid;
class RouteToGoal;
class WalkableAreas;

class MapRoutes {
public:
    explicit MapRoutes(std::shared_ptr<const TMatrix> map);
    ~MapRoutes();
    MapRoutes(const MapRoutes&) = delete;
    MapRoutes& operator=(const MapRoutes&) = delete;

    const std::shared_ptr<const TMatrix>& Map() const { return map_; }

    void Prepare();
    bool IsPreparing() const { return preparing_; }
    bool HasAreas() const;
    bool HasCore() const;

    bool IsRuledOut(Cell from, Cell to) const;

    // The goal's side of the last search through the core, for the next
    // route to that goal. A value: each search works on its own copy.
    class KeptGoal {
    public:
        std::optional<Cell> Goal() const;

    private:
        friend class MapRoutes;
        std::shared_ptr<const RouteCore> core;
        std::shared_ptr<const RouteToGoal> toGoal;
    };

    struct Found {
        std::optional<Route> route;
        bool failed = false; // memory could not be had
    };
    Found Find(Cell from, Cell to, const std::atomic<bool>* cancel = nullptr, KeptGoal* kept = nullptr);

private:
    void WorkOut();
    std::optional<RouteSteps> Search(Cell from, Cell to, const std::atomic<bool>* cancel, KeptGoal& kept);

    const std::shared_ptr<const TMatrix> map_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> preparing_{false};
    std::thread preparation_;
    mutable std::mutex mutex_; // for what follows
    std::shared_ptr<const WalkableAreas> areas_;
    std::shared_ptr<const RouteCore> core_;
    std::shared_ptr<const RouteGrid> grid_; // none once the core is there
};
