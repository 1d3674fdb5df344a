#include "app/routes/DistanceMeasure.h"

#include "app/routes/RoutePlanner.h"

#include <algorithm>
#include <cstdlib>

int StraightSteps(QPoint from, QPoint to)
{
    return std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
}

namespace {

QString Steps(int count)
{
    return count == 1 ? DistanceMeasure::tr("1 step") : DistanceMeasure::tr("%1 steps").arg(count);
}

} // namespace

QString MeasureText(QPoint from, QPoint to, std::optional<int> walking, bool searching)
{
    const QString walked = searching ? DistanceMeasure::tr("walking: searching...")
                           : walking ? DistanceMeasure::tr("%1 walking").arg(Steps(*walking))
                                     : DistanceMeasure::tr("no route");
    return DistanceMeasure::tr("from %1:%2: %3 straight, %4").arg(from.x()).arg(from.y()).arg(Steps(StraightSteps(from, to)), walked);
}

DistanceMeasure::DistanceMeasure(const MapDocument& document, QObject* parent)
    : QObject(parent), walking_(new RoutePlanner(document, this))
{
    connect(walking_, &RoutePlanner::routeChanged, this, &DistanceMeasure::changed);
}

void DistanceMeasure::start(QPoint from)
{
    from_ = from;
    to_.reset();
    walking_->clear();
    walking_->startAt(from);
    emit changed();
}

void DistanceMeasure::stop()
{
    if (!from_)
        return;
    from_.reset();
    to_.reset();
    walking_->letMapGo();
    emit changed();
}

void DistanceMeasure::measureTo(std::optional<QPoint> cell)
{
    if (!from_ || !cell || cell == to_)
        return;
    to_ = cell;
    walking_->routeTo(*cell);
}

QString DistanceMeasure::note() const
{
    if (!from_)
        return QString();
    if (!to_)
        return tr("measuring from %1:%2 (Esc ends)").arg(from_->x()).arg(from_->y());
    const std::vector<QPoint>& route = walking_->route();
    const std::optional<int> walking = route.empty() ? std::nullopt : std::optional<int>(int(route.size()) - 1);
    return MeasureText(*from_, *to_, walking, walking_->isSearching());
}
