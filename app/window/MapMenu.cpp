#include "app/window/MapMenu.h"

#include "app/routes/RoutePlanner.h"

#include <QClipboard>
#include <QGuiApplication>

QString CellCommandName(CellCommand command)
{
    switch (command) {
    case CellCommand::CopyCell:
        return MapMenu::tr("Copy Cell");
    case CellCommand::RouteFromPlayer:
        return MapMenu::tr("Route from the Player to Here");
    case CellCommand::RouteFromHere:
        return MapMenu::tr("Route from Here");
    case CellCommand::RouteToHere:
        return MapMenu::tr("...to Here");
    case CellCommand::MeasureFromHere:
        break;
    }
    return MapMenu::tr("Measure from Here");
}

QStringList CellCommandNames()
{
    QStringList names;
    for (CellCommand command : {CellCommand::CopyCell, CellCommand::RouteFromPlayer, CellCommand::RouteFromHere,
                                CellCommand::RouteToHere, CellCommand::MeasureFromHere})
        names.append(CellCommandName(command));
    return names;
}

MapMenu::MapMenu(const MapMenuCommands& commands, std::optional<QPoint> cell, QWidget* parent) : QMenu(parent)
{
    addActions(commands.view);
    addSeparator();
    addActions(commands.picture);
    addCellCommand(CellCommand::CopyCell, cell, true, [](QPoint at) {
        QGuiApplication::clipboard()->setText(QStringLiteral("%1:%2").arg(at.x()).arg(at.y()));
    });
    addSeparator();
    RoutePlanner* routes = commands.routes;
    addCellCommand(CellCommand::RouteFromPlayer, cell, routes->player().has_value(),
                   [routes](QPoint at) { routes->routeFromPlayer(at); });
    addCellCommand(CellCommand::RouteFromHere, cell, true, [routes](QPoint at) { routes->startAt(at); });
    addCellCommand(CellCommand::RouteToHere, cell, routes->chosenStart().has_value(),
                   [routes](QPoint at) { routes->routeTo(at); });
    commands.clearRoute->setEnabled(routes->isAsked() || routes->chosenStart().has_value());
    addAction(commands.clearRoute);
    addSeparator();
    addCellCommand(CellCommand::MeasureFromHere, cell, true, commands.measureFrom);
    if (commands.endMeasure->isEnabled())
        addAction(commands.endMeasure);
    addSeparator();
    addAction(commands.follow);
    addAction(commands.followMaps);
    if (commands.followMaps->isChecked())
        addAction(commands.pickMap);
    addAction(commands.findAddress);
    addSeparator();
    addActions(commands.beside);
    if (!commands.opacities.isEmpty())
        addMenu(tr("Opacity"))->addActions(commands.opacities);
    addSeparator();
    addAction(commands.help);
}

void MapMenu::addCellCommand(CellCommand name, std::optional<QPoint> cell, bool enabled,
                             const std::function<void(QPoint)>& command)
{
    QAction* action = addAction(CellCommandName(name));
    action->setEnabled(cell.has_value() && enabled);
    if (cell)
        connect(action, &QAction::triggered, this, [command, at = *cell] { command(at); });
}
