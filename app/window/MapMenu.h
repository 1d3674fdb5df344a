#pragma once
// The map area's context menu: the view commands, Save, Copy Picture, Copy
// Cell (the cell clicked, as "x:y"), the routes to the cell clicked,
// measuring from it, the follow switch, and the help.

#include <QMenu>

#include <functional>
#include <optional>

class RoutePlanner;

// The commands on the cell clicked, in the menu's order.
enum class CellCommand { CopyCell, RouteFromPlayer, RouteFromHere, RouteToHere, MeasureFromHere };
QString CellCommandName(CellCommand command);
QStringList CellCommandNames();

struct MapMenuCommands {
    QList<QAction*> view;
    QList<QAction*> picture;
    RoutePlanner* routes;
    QAction* clearRoute;
    QAction* follow;
    QAction* followMaps;
    QAction* pickMap;
    QAction* findAddress;
    std::function<void(QPoint)> measureFrom;
    QAction* endMeasure;
    QList<QAction*> beside; // stay on top, compact view
    QList<QAction*> opacities; // in compact view only
    QAction* help;
};

class MapMenu : public QMenu {
    Q_OBJECT
public:
    MapMenu(const MapMenuCommands& commands, std::optional<QPoint> cell, QWidget* parent);

private:
    // An entry that acts on the cell clicked; disabled without one.
    void addCellCommand(CellCommand name, std::optional<QPoint> cell, bool enabled,
                        const std::function<void(QPoint)>& command);
};
