#include "MapMenu.h"

#include <QClipboard>
#include <QGuiApplication>

MapMenu::MapMenu(const MapMenuCommands& commands, std::optional<QPoint> cell, QWidget* parent) : QMenu(parent)
{
    addActions(commands.view);
    addSeparator();
    addActions(commands.picture);
    QAction* copyCell = addAction(QStringLiteral("Copy Cell"));
    copyCell->setEnabled(cell.has_value());
    if (cell) {
        const QString text = QStringLiteral("%1:%2").arg(cell->x()).arg(cell->y());
        connect(copyCell, &QAction::triggered, this, [text] { QGuiApplication::clipboard()->setText(text); });
    }
    addSeparator();
    addAction(commands.follow);
}
