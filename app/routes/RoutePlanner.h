#pragma once
// The route the user asked for on the map on show: from the player, or from
// a cell the user chose, to a goal cell. A route from the player is worked
// out again whenever the player has moved. The route is never part of the
// picture: the map view draws it over the map.
//
// Searches run on threads of their own: the newest request wins and an
// older search still running is cancelled. Once the player is first seen
// on a map, or at the first route asked for, whichever comes first, a thread
// of its own works out the map's walkable areas (WalkableAreas.h) and its
// core (RouteCore.h), once for the map (not when the map is opened: a map
// only looked at keeps its 1.5 bytes a cell). From then on a goal in another
// area than the start is refused at once, without a search, and a search
// goes through the core; the goal's side of it is kept for the next route
// to the same goal, as the window asks again every second while the player
// moves. A request before that waits for the preparation's areas; it, or a
// request on a map whose core does not pay, works out the bits the waves
// read (RouteGrid.h) itself, once for the map. clear() cancels every search
// and waits for it; letMapGo() and the destructor cancel the preparation
// too, so that the map's values can go.

#include "app/mapview/MapDocument.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class QThread;
class RouteCore;
class RouteGrid;
class RouteToGoal;
class WalkableAreas;

class RoutePlanner : public QObject {
    Q_OBJECT
public:
    RoutePlanner(const MapDocument& document, QObject* parent);
    ~RoutePlanner() override;

    // Starts working out the map's areas and core, unless that was done or
    // begun for this map.
    void prepareMap();
    // Leaves working out the map's areas and core to that planner, and
    // searches with what it has worked out: one core a map, however many
    // planners.
    void takeMapWorkFrom(RoutePlanner* planner) { mapWorkFrom_ = planner; }
    bool isPreparing() const { return preparation_ != nullptr; }
    // Whether searches on this map go through its core.
    bool hasCore() const { return core_ && hasAreasOfThisMap(); }
    // clear(), and the preparation cancelled: the map is about to go.
    void letMapGo();
    void routeFromPlayer(QPoint goal);
    // "Route from here": the start of the next routeTo().
    void startAt(QPoint start);
    const std::optional<QPoint>& chosenStart() const { return chosenStart_; }
    void routeTo(QPoint goal);
    // Where the player stands now; none while not tracking.
    void setPlayer(std::optional<QPoint> player);
    const std::optional<QPoint>& player() const { return player_; }
    void clear();

    bool isAsked() const { return goal_.has_value(); }
    bool isSearching() const { return searching_; }
    // The cells from start to goal; empty when there is none.
    const std::vector<QPoint>& route() const { return route_; }
    // "route: 42 steps", "no route", "route: searching...", or empty when
    // none is asked for.
    QString summary() const;

signals:
    // A start chosen, a search started or ended, the route cleared.
    void routeChanged();

private:
    struct Search;
    struct Preparation;

    void findRoute();
    void startSearch(QPoint start, QPoint goal);
    void searchEnded(const std::shared_ptr<Search>& search);
    void cancelSearches();
    void cancelPreparation();
    void preparationEnded(const std::shared_ptr<Preparation>& preparation);
    bool hasAreasOfThisMap() const;
    std::shared_ptr<Preparation> preparationOfThisMap() const;
    void adoptMapWork();
    void show(std::vector<QPoint> route);

    const MapDocument& document_;
    std::optional<QPoint> chosenStart_;
    std::optional<QPoint> player_;
    std::optional<QPoint> goal_;
    bool fromPlayer_ = false;
    bool searching_ = false;
    std::vector<QPoint> route_;
    std::vector<std::pair<QThread*, std::shared_ptr<Search>>> running_;
    std::weak_ptr<const TMatrix> areasMap_; // the map areas_, grid_ and core_ belong to, not kept alive by them
    std::shared_ptr<const WalkableAreas> areas_;
    std::shared_ptr<const RouteGrid> grid_;
    std::shared_ptr<const RouteCore> core_; // none while not worked out, or when it does not pay
    std::shared_ptr<const RouteToGoal> toGoal_; // through core_, to the last goal
    std::weak_ptr<const TMatrix> preparedMap_; // the map the preparation was begun for
    QPointer<RoutePlanner> mapWorkFrom_;
    QThread* preparing_ = nullptr;
    std::shared_ptr<Preparation> preparation_;
};
