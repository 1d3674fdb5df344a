#include "route/MapRoutes.h"

#include "route/Route.h"
#include "route/RouteCore.h"
#include "route/RouteGrid.h"
#include "route/WalkableAreas.h"

#include <new>

MapRoutes::MapRoutes(std::shared_ptr<const TMatrix> map) : map_(std::move(map)) {}

MapRoutes::~MapRoutes()
{
    cancel_ = true;
    if (preparation_.joinable())
        preparation_.join();
}

void MapRoutes::Prepare()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (preparation_.joinable() || !map_ || map_->Columns() == 0 || map_->Rows() == 0)
        return;
    preparing_ = true;
    preparation_ = std::thread([this] { WorkOut(); });
}

void MapRoutes::WorkOut()
{
    try {
        std::optional<WalkableAreas> areas = WalkableAreas::Of(*map_, &cancel_);
        if (areas) {
            auto made = std::make_shared<const WalkableAreas>(std::move(*areas));
            const std::lock_guard<std::mutex> lock(mutex_);
            areas_ = std::move(made);
        }
        if (areas && !cancel_) {
            if (std::optional<RouteCore> core = RouteCore::Of(*map_, &cancel_)) {
                auto made = std::make_shared<const RouteCore>(std::move(*core));
                const std::lock_guard<std::mutex> lock(mutex_);
                core_ = std::move(made);
                grid_.reset(); // the core answers every search from now on
            }
        }
    } catch (const std::bad_alloc&) {
        // The searches do without what could not be made.
    }
    preparing_ = false;
}

bool MapRoutes::HasAreas() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return areas_ != nullptr;
}

bool MapRoutes::HasCore() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return core_ != nullptr;
}

bool MapRoutes::IsRuledOut(Cell from, Cell to) const
{
    if (!map_ || !IsWalkable(*map_, from) || !IsWalkable(*map_, to))
        return true;
    const std::lock_guard<std::mutex> lock(mutex_);
    return areas_ && !areas_->Joined(from, to);
}

std::optional<Cell> MapRoutes::KeptGoal::Goal() const
{
    return toGoal ? std::optional<Cell>(toGoal->Goal()) : std::nullopt;
}

MapRoutes::Found MapRoutes::Find(Cell from, Cell to, const std::atomic<bool>* cancel, KeptGoal* kept)
{
    Found found;
    if (IsRuledOut(from, to))
        return found;
    KeptGoal none;
    try {
        if (const std::optional<RouteSteps> steps = Search(from, to, cancel, kept ? *kept : none))
            found.route = steps->Cells();
    } catch (const std::bad_alloc&) {
        found.failed = true;
    }
    return found;
}

std::optional<RouteSteps> MapRoutes::Search(Cell from, Cell to, const std::atomic<bool>* cancel, KeptGoal& kept)
{
    std::shared_ptr<const RouteCore> core;
    std::shared_ptr<const RouteGrid> grid;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        core = core_;
        grid = grid_;
    }
    if (core) {
        if (kept.core != core || kept.Goal() != to) {
            kept.toGoal = std::make_shared<const RouteToGoal>(core, to);
            kept.core = core;
        }
        return kept.toGoal->From(from, cancel);
    }
    if (!grid) {
        grid = std::make_shared<const RouteGrid>(*map_);
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!core_)
            grid_ = grid;
    }
    return FindRouteSteps(*grid, from, to, cancel);
}
