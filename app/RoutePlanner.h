#pragma once
// The route the user asked for on the map on show: from the player, or from
// a cell the user chose, to a goal cell. A route from the player is worked
// out again whenever the player has moved. The route is never part of the
// picture: the map view draws it over the map.

#include "MapDocument.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <optional>
#include <vector>

class RoutePlanner : public QObject {
    Q_OBJECT
public:
    RoutePlanner(const MapDocument& document, QObject* parent);

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
    // The cells from start to goal; empty when there is none.
    const std::vector<QPoint>& route() const { return route_; }
    // "route: 42 steps", "no route", or empty when none is asked for.
    QString summary() const;

signals:
    void routeChanged();

private:
    void findRoute();

    const MapDocument& document_;
    std::optional<QPoint> chosenStart_;
    std::optional<QPoint> player_;
    std::optional<QPoint> goal_;
    bool fromPlayer_ = false;
    std::vector<QPoint> route_;
};
