#include "app/routes/RoutePlanner.h"

#include "app/shared/WorkerThread.h"

#include <algorithm>

// What a search thread is given and gives back.
struct RoutePlanner::Search {
    std::shared_ptr<MapRoutes> routes;
    MapRoutes::KeptGoal kept; // the planner's, carried back when the search ends
    Cell start;
    Cell goal;
    std::atomic<bool> cancel{false};
    MapRoutes::Found found;
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
}

std::shared_ptr<MapRoutes> RoutePlanner::mapRoutes()
{
    std::shared_ptr<MapRoutes> routes = document_.routes();
    if (routes != routes_.lock())
        keptGoal_ = {}; // another map
    routes_ = routes;
    return routes;
}

void RoutePlanner::prepareMap()
{
    mapRoutes()->Prepare();
}

bool RoutePlanner::isPreparing() const
{
    const std::shared_ptr<MapRoutes> routes = routes_.lock();
    return routes && routes->IsPreparing();
}

bool RoutePlanner::hasCore() const
{
    const std::shared_ptr<MapRoutes> routes = routes_.lock();
    return routes && routes == document_.routes() && routes->HasCore();
}

void RoutePlanner::letMapGo()
{
    clear();
    routes_.reset();
    keptGoal_ = {};
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
    for (auto& [worker, search] : running_)
        search->cancel = true; // the newest request wins
    searching_ = false;
    const std::optional<QPoint> start = fromPlayer_ ? player_ : chosenStart_;
    const std::shared_ptr<MapRoutes> routes = mapRoutes();
    if (!start || !goal_ || routes->IsRuledOut(CellOf(*start), CellOf(*goal_))) {
        show({}); // blocked, or another area: no search needed
        return;
    }
    routes->Prepare();
    startSearch(routes, *start, *goal_);
}

void RoutePlanner::startSearch(const std::shared_ptr<MapRoutes>& routes, QPoint start, QPoint goal)
{
    auto search = std::make_shared<Search>();
    search->routes = routes;
    search->kept = keptGoal_;
    search->start = CellOf(start);
    search->goal = CellOf(goal);
    auto* worker = new WorkerThread(
        [search] { search->found = search->routes->Find(search->start, search->goal, &search->cancel, &search->kept); },
        this);
    running_.emplace_back(worker, search);
    // Known by its search: a worker cancelled and deleted by cancelSearches()
    // may still have this handler queued, and a new one may have its address.
    connect(worker, &WorkerThread::ended, this, [this, worker, search] {
        const auto entry = std::find_if(running_.begin(), running_.end(), [&search](const auto& e) { return e.second == search; });
        if (entry == running_.end())
            return;
        running_.erase(entry);
        worker->deleteLater();
        searchEnded(search);
    });
    searching_ = true;
    emit routeChanged();
}

void RoutePlanner::searchEnded(const std::shared_ptr<Search>& search)
{
    if (search->routes == routes_.lock() && search->kept.Goal())
        keptGoal_ = search->kept; // kept for the next route to this goal, cancelled or not
    if (search->cancel)
        return; // a newer request took its place
    std::vector<QPoint> route;
    if (search->found.route)
        for (const Cell& cell : *search->found.route)
            route.emplace_back(cell.x, cell.y);
    searching_ = false;
    show(std::move(route));
}

void RoutePlanner::cancelSearches()
{
    for (auto& [worker, search] : running_) {
        search->cancel = true;
        delete worker; // waits for it
    }
    running_.clear();
    searching_ = false;
}

void RoutePlanner::show(std::vector<QPoint> route)
{
    route_ = std::move(route);
    emit routeChanged();
}
