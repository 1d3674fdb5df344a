#pragma once
// "Measure from Here": from a chosen cell to the cell under the mouse, the
// straight distance in steps (to any of the 8 neighbours, so the larger of
// the two differences) and the walking distance, the steps of a shortest
// route, worked out by a route planner of its own.

#include "app/mapview/MapDocument.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <optional>

class RoutePlanner;

// The straight distance in steps when a step may go to any of 8 neighbours.
int StraightSteps(QPoint from, QPoint to);

// "from 10:20: 15 steps straight, 18 walking" and the like; walking is none
// while searching when searching is set, and none when there is no route.
QString MeasureText(QPoint from, QPoint to, std::optional<int> walking, bool searching);

class DistanceMeasure : public QObject {
    Q_OBJECT
public:
    // The walking distances go through the document's routes of the map.
    DistanceMeasure(const MapDocument& document, QObject* parent);

    void start(QPoint from);
    void stop();
    const std::optional<QPoint>& from() const { return from_; }
    // The cell under the mouse; none: off the map.
    void measureTo(std::optional<QPoint> cell);
    // What the readout tells; empty when not measuring.
    QString note() const;

signals:
    // Started, stopped, or a walking distance came in.
    void changed();

private:
    RoutePlanner* walking_;
    std::optional<QPoint> from_;
    std::optional<QPoint> to_;
};
