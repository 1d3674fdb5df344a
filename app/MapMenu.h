#pragma once
// The map area's context menu: the view commands, Save, Copy Picture, Copy
// Cell (the cell clicked, as "x:y") and the follow switch.

#include <QMenu>

#include <optional>

struct MapMenuCommands {
    QList<QAction*> view;
    QList<QAction*> picture;
    QAction* follow;
};

class MapMenu : public QMenu {
    Q_OBJECT
public:
    MapMenu(const MapMenuCommands& commands, std::optional<QPoint> cell, QWidget* parent);
};
