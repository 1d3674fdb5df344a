#include "app/MapMenu.h"

#include "app/RoutePlanner.h"

#include <QClipboard>
#include <QGuiApplication>

MapMenu::MapMenu(const MapMenuCommands& commands, std::optional<QPoint> cell, QWidget* parent) : QMenu(parent)
{
    addActions(commands.view);
    addSeparator();
    addActions(commands.picture);
    addCellCommand(QStringLiteral("Copy Cell"), cell, true, [](QPoint at) {
        QGuiApplication::clipboard()->setText(QStringLiteral("%1:%2").arg(at.x()).arg(at.y()));
    });
    addSeparator();
    RoutePlanner* routes = commands.routes;
    addCellCommand(QStringLiteral("Route from the Player to Here"), cell, routes->player().has_value(),
                   [routes](QPoint at) { routes->routeFromPlayer(at); });
    addCellCommand(QStringLiteral("Route from Here"), cell, true, [routes](QPoint at) { routes->startAt(at); });
    addCellCommand(QStringLiteral("...to Here"), cell, routes->chosenStart().has_value(),
                   [routes](QPoint at) { routes->routeTo(at); });
    commands.clearRoute->setEnabled(routes->isAsked() || routes->chosenStart().has_value());
    addAction(commands.clearRoute);
    addSeparator();
    addCellCommand(QStringLiteral("Measure from Here"), cell, true, commands.measureFrom);
    if (commands.endMeasure->isEnabled())
        addAction(commands.endMeasure);
    addSeparator();
    addAction(commands.follow);
    addAction(commands.findAddress);
}

void MapMenu::addCellCommand(const QString& text, std::optional<QPoint> cell, bool enabled,
                             const std::function<void(QPoint)>& command)
{
    QAction* action = addAction(text);
    action->setEnabled(cell.has_value() && enabled);
    if (cell)
        connect(action, &QAction::triggered, this, [command, at = *cell] { command(at); });
}
