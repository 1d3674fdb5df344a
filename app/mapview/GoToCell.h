#pragma once
// "Go to Cell": asks for a cell as x:y (x,y and x y too) on a map of mapSize
// cells. Throws std::runtime_error, with a line that says what to type, for
// a text that is no cell or a cell outside the map; none when cancelled.

#include "app/shared/SaveDialog.h"

#include <QPoint>
#include <QSize>

#include <optional>

class QWidget;

std::optional<QPoint> AskForCell(QWidget* owner, const ModalRunner& runModal, QSize mapSize);

// The cell a text names on a map of mapSize cells; throws as AskForCell does.
QPoint CellOnMap(const QString& text, QSize mapSize);
