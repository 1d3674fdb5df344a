#pragma once
// The route the user asked for on the map on show: from the player, or from
// a cell the user chose, to a goal cell. A route from the player is worked
// out again whenever the player has moved. The route is never part of the
// picture: the map view draws it over the map.
//
// Searches run on threads of their own: the newest request wins and an
// older search still running is cancelled. They go through the map's routes
// (MapRoutes.h, kept by the map document and shared with every other
// planner on the map, the measure's among them): once the player is first
// seen on a map, or at the first route asked for, whichever comes first,
// the map's areas and core are worked out beside the searches, which never
// wait for them (not when the map is opened: a map only looked at keeps its
// 1.5 bytes a cell). A goal that the map's areas, once known, put in
// another area than the start, or a blocked one, is refused at once without
// a search. clear() cancels every search and waits for it; letMapGo() also
// lets the map's routes go, so that the map's values can go.

#include "app/mapview/MapDocument.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class WorkerThread;

class RoutePlanner : public QObject {
    Q_OBJECT
public:
    RoutePlanner(const MapDocument& document, QObject* parent);
    ~RoutePlanner() override;

    // Starts working out the map's areas and core, unless that was done or
    // begun for this map.
    void prepareMap();
    bool isPreparing() const;
    // Whether searches on this map go through its core.
    bool hasCore() const;
    // clear(), and the map's routes let go: the map is about to go.
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

    std::shared_ptr<MapRoutes> mapRoutes();
    void findRoute();
    void startSearch(const std::shared_ptr<MapRoutes>& routes, QPoint start, QPoint goal);
    void searchEnded(const std::shared_ptr<Search>& search);
    void cancelSearches();
    void show(std::vector<QPoint> route);

    const MapDocument& document_;
    std::weak_ptr<MapRoutes> routes_; // of the map searched last; the document keeps them
    MapRoutes::KeptGoal keptGoal_;
    std::optional<QPoint> chosenStart_;
    std::optional<QPoint> player_;
    std::optional<QPoint> goal_;
    bool fromPlayer_ = false;
    bool searching_ = false;
    std::vector<QPoint> route_;
    std::vector<std::pair<WorkerThread*, std::shared_ptr<Search>>> running_;
};
