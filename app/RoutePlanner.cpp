#include "RoutePlanner.h"

#include "Route.h"

RoutePlanner::RoutePlanner(const MapDocument& document, QObject* parent) : QObject(parent), document_(document) {}

void RoutePlanner::routeFromPlayer(QPoint goal)
{
    goal_ = goal;
    fromPlayer_ = true;
    findRoute();
}

void RoutePlanner::startAt(QPoint start)
{
    chosenStart_ = start;
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
    if (goal_ && fromPlayer_)
        findRoute();
}

void RoutePlanner::clear()
{
    goal_.reset();
    chosenStart_.reset();
    route_.clear();
    emit routeChanged();
}

QString RoutePlanner::summary() const
{
    if (!goal_)
        return QString();
    if (route_.empty())
        return QStringLiteral("no route");
    const std::size_t steps = route_.size() - 1;
    return steps == 1 ? QStringLiteral("route: 1 step") : QStringLiteral("route: %1 steps").arg(steps);
}

void RoutePlanner::findRoute()
{
    route_.clear();
    const std::optional<QPoint> start = fromPlayer_ ? player_ : chosenStart_;
    if (start && goal_) {
        const std::optional<Route> found =
            FindRoute(document_.walkability(), Cell{start->x(), start->y()}, Cell{goal_->x(), goal_->y()});
        if (found)
            for (const Cell& cell : *found)
                route_.emplace_back(cell.x, cell.y);
    }
    emit routeChanged();
}
