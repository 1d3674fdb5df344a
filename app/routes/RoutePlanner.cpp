#include "app/routes/RoutePlanner.h"

#include "route/Route.h"
#include "route/RouteCore.h"
#include "route/RouteGrid.h"
#include "route/WalkableAreas.h"

#include <QThread>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

// What the preparation thread works out for one map. The areas come first
// and are handed at once to the searches that wait for them.
struct RoutePlanner::Preparation {
    std::shared_ptr<const TMatrix> map;
    std::atomic<bool> cancel{false};
    std::shared_ptr<const WalkableAreas> areas;
    std::shared_ptr<const RouteCore> core; // none when it does not pay

    void run()
    {
        std::shared_ptr<const WalkableAreas> made;
        try {
            if (std::optional<WalkableAreas> worked = WalkableAreas::Of(*map, &cancel))
                made = std::make_shared<const WalkableAreas>(std::move(*worked));
        } catch (const std::bad_alloc&) {
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            areas = made;
            areasEnded_ = true;
        }
        areasMade_.notify_all();
        if (!made || cancel)
            return;
        try {
            if (std::optional<RouteCore> worked = RouteCore::Of(*map, &cancel))
                core = std::make_shared<const RouteCore>(std::move(*worked));
        } catch (const std::bad_alloc&) {
            core.reset(); // the searches do without it
        }
    }

    // The areas once they are made; none when they could not be, or when
    // either side was cancelled first.
    std::shared_ptr<const WalkableAreas> areasWhenMade(const std::atomic<bool>& searchCancel)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!areasEnded_ && !searchCancel && !cancel)
            areasMade_.wait_for(lock, std::chrono::milliseconds(20));
        return areas;
    }

private:
    std::mutex mutex_;
    std::condition_variable areasMade_;
    bool areasEnded_ = false;
};

// What a search thread is given and gives back.
struct RoutePlanner::Search {
    std::shared_ptr<const TMatrix> map;
    std::shared_ptr<Preparation> preparation;   // of this map, making the areas: waited for
    std::shared_ptr<const WalkableAreas> areas; // none: worked out by the search
    std::shared_ptr<const RouteGrid> grid;      // the same, unless there is a core
    std::shared_ptr<const RouteCore> core;
    std::shared_ptr<const RouteToGoal> toGoal; // through core, to goal: none, made by the search
    Cell start;
    Cell goal;
    std::atomic<bool> cancel{false};
    std::optional<Route> route;
    bool failed = false;
};

namespace {

Cell CellOf(QPoint point)
{
    return {point.x(), point.y()};
}

} // namespace

RoutePlanner::RoutePlanner(const MapDocument& document, QObject* parent) : QObject(parent), document_(document) {}

RoutePlanner::~RoutePlanner()
{
    cancelSearches();
    cancelPreparation();
}

void RoutePlanner::prepareMap()
{
    if (mapWorkFrom_) {
        mapWorkFrom_->prepareMap();
        return;
    }
    if (preparedMap_.lock() == document_.sharedWalkability())
        return;
    cancelPreparation();
    auto preparation = std::make_shared<Preparation>();
    preparation->map = document_.sharedWalkability();
    preparedMap_ = preparation->map;
    if (!preparation->map || preparation->map->Columns() == 0 || preparation->map->Rows() == 0)
        return;
    preparing_ = QThread::create([preparation] { preparation->run(); });
    preparation_ = preparation;
    QThread* thread = preparing_;
    // Known by its preparation, which the handler keeps alive: a thread
    // cancelled and deleted by cancelPreparation() may still have this
    // handler queued, and a new thread may have its address.
    connect(thread, &QThread::finished, this, [this, thread, preparation] {
        if (preparation != preparation_)
            return;
        preparing_ = nullptr;
        preparation_.reset();
        thread->deleteLater();
        preparationEnded(preparation);
    });
    thread->start();
}

void RoutePlanner::letMapGo()
{
    cancelPreparation();
    clear();
}

void RoutePlanner::preparationEnded(const std::shared_ptr<Preparation>& preparation)
{
    if (preparation->cancel || !preparation->areas || preparation->map != document_.sharedWalkability())
        return;
    if (!hasAreasOfThisMap()) {
        areas_ = preparation->areas;
        grid_.reset();
        areasMap_ = preparation->map;
    }
    if (preparation->core) {
        core_ = preparation->core;
        toGoal_.reset();
        grid_.reset(); // the core answers every search from now on
    }
}

void RoutePlanner::cancelPreparation()
{
    if (!preparing_)
        return;
    preparation_->cancel = true;
    preparing_->wait();
    delete preparing_;
    preparing_ = nullptr;
    preparation_.reset();
}

void RoutePlanner::routeFromPlayer(QPoint goal)
{
    goal_ = goal;
    fromPlayer_ = true;
    findRoute();
}

void RoutePlanner::startAt(QPoint start)
{
    chosenStart_ = start;
    emit routeChanged();
}

void RoutePlanner::routeTo(QPoint goal)
{
    if (!chosenStart_)
        return;
    goal_ = goal;
    fromPlayer_ = false;
    findRoute();
}

void RoutePlanner::setPlayer(std::optional<QPoint> player)
{
    if (player == player_)
        return;
    player_ = player;
    if (player_)
        prepareMap();
    if (goal_ && fromPlayer_)
        findRoute();
}

void RoutePlanner::clear()
{
    cancelSearches();
    if (!hasAreasOfThisMap()) {
        areas_.reset();
        grid_.reset();
        core_.reset();
        areasMap_.reset();
    }
    toGoal_.reset();
    goal_.reset();
    chosenStart_.reset();
    route_.clear();
    emit routeChanged();
}

QString RoutePlanner::summary() const
{
    if (!goal_)
        return QString();
    if (searching_)
        return tr("route: searching...");
    if (route_.empty())
        return tr("no route");
    const std::size_t steps = route_.size() - 1;
    return steps == 1 ? tr("route: 1 step") : tr("route: %1 steps").arg(steps);
}

void RoutePlanner::findRoute()
{
    for (auto& [thread, search] : running_)
        search->cancel = true; // the newest request wins
    searching_ = false;
    const std::optional<QPoint> start = fromPlayer_ ? player_ : chosenStart_;
    const TMatrix& map = document_.walkability();
    if (!start || !goal_ || !IsWalkable(map, CellOf(*start)) || !IsWalkable(map, CellOf(*goal_))) {
        show({});
        return;
    }
    adoptMapWork();
    if (hasAreasOfThisMap() && !areas_->Joined(CellOf(*start), CellOf(*goal_))) {
        show({}); // another area: no search needed
        return;
    }
    prepareMap();
    startSearch(*start, *goal_);
}

void RoutePlanner::startSearch(QPoint start, QPoint goal)
{
    auto search = std::make_shared<Search>();
    search->map = document_.sharedWalkability();
    if (hasAreasOfThisMap()) {
        search->areas = areas_;
        search->grid = grid_;
        search->core = core_;
        if (toGoal_ && toGoal_->Goal() == CellOf(goal))
            search->toGoal = toGoal_;
    } else {
        search->preparation = preparationOfThisMap();
    }
    search->start = CellOf(start);
    search->goal = CellOf(goal);
    QThread* thread = QThread::create([search] {
        try {
            if (!search->areas && search->preparation)
                search->areas = search->preparation->areasWhenMade(search->cancel);
            if (!search->areas) {
                if (std::optional<WalkableAreas> areas = WalkableAreas::Of(*search->map, &search->cancel))
                    search->areas = std::make_shared<const WalkableAreas>(std::move(*areas));
            }
            if (!search->areas || search->cancel)
                return;
            if (!search->core && !search->grid)
                search->grid = std::make_shared<const RouteGrid>(*search->map);
            if (!search->areas->Joined(search->start, search->goal))
                return;
            if (search->core && !search->toGoal)
                search->toGoal = std::make_shared<const RouteToGoal>(search->core, search->goal);
            const std::optional<RouteSteps> steps =
                search->toGoal ? search->toGoal->From(search->start, &search->cancel)
                               : FindRouteSteps(*search->grid, search->start, search->goal, &search->cancel);
            if (steps)
                search->route = steps->Cells();
        } catch (const std::bad_alloc&) {
            search->failed = true;
        }
    });
    running_.emplace_back(thread, search);
    connect(thread, &QThread::finished, this, [this, thread, search] {
        // Known by its search, as the preparation's thread is.
        const auto entry = std::find_if(running_.begin(), running_.end(), [&search](const auto& e) { return e.second == search; });
        if (entry == running_.end())
            return;
        running_.erase(entry);
        thread->deleteLater();
        searchEnded(search);
    });
    searching_ = true;
    thread->start();
    emit routeChanged();
}

void RoutePlanner::searchEnded(const std::shared_ptr<Search>& search)
{
    if (search->areas && search->grid && search->map == document_.sharedWalkability()) {
        if (!hasAreasOfThisMap()) {
            areas_ = search->areas;
            areasMap_ = search->map;
        }
        if (!core_)
            grid_ = search->grid;
    }
    if (search->toGoal && search->core == core_ && hasAreasOfThisMap() && goal_ && search->toGoal->Goal() == CellOf(*goal_))
        toGoal_ = search->toGoal; // kept for the next route to this goal, cancelled or not
    if (search->cancel)
        return; // a newer request took its place
    std::vector<QPoint> route;
    if (search->route)
        for (const Cell& cell : *search->route)
            route.emplace_back(cell.x, cell.y);
    searching_ = false;
    show(std::move(route));
}

void RoutePlanner::cancelSearches()
{
    for (auto& [thread, search] : running_) {
        search->cancel = true;
        thread->wait();
        delete thread;
    }
    running_.clear();
    searching_ = false;
}

std::shared_ptr<RoutePlanner::Preparation> RoutePlanner::preparationOfThisMap() const
{
    const RoutePlanner* preparing = mapWorkFrom_ ? mapWorkFrom_.data() : this;
    const std::shared_ptr<Preparation>& preparation = preparing->preparation_;
    return preparation && preparation->map == document_.sharedWalkability() ? preparation : nullptr;
}

bool RoutePlanner::hasAreasOfThisMap() const
{
    return areas_ && areasMap_.lock() == document_.sharedWalkability();
}

// What the planner that works out the map has of it, when that is more.
void RoutePlanner::adoptMapWork()
{
    if (!mapWorkFrom_ || !mapWorkFrom_->hasAreasOfThisMap() || (hasAreasOfThisMap() && (core_ || !mapWorkFrom_->core_)))
        return;
    areas_ = mapWorkFrom_->areas_;
    areasMap_ = mapWorkFrom_->areasMap_;
    core_ = mapWorkFrom_->core_;
    grid_ = core_ ? nullptr : mapWorkFrom_->grid_;
    toGoal_.reset();
}

void RoutePlanner::show(std::vector<QPoint> route)
{
    route_ = std::move(route);
    emit routeChanged();
}
