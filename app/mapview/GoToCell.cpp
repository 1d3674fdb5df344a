#include "app/mapview/GoToCell.h"

#include "base/CellText.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QLineEdit>

#include <stdexcept>

namespace {

// Longer than any cell's text with blanks around it; a text pasted by
// mistake is cut here rather than read and shown whole.
constexpr int kLongestCellText = 64;
constexpr int kLongestShownText = 40;

} // namespace

std::optional<QPoint> AskForCell(QWidget* owner, const ModalRunner& runModal, QSize mapSize)
{
    QInputDialog dialog(owner);
    dialog.setWindowTitle(QCoreApplication::translate("GoToCell", "Go to Cell"));
    dialog.setLabelText(QCoreApplication::translate("GoToCell", "Cell as x:y (0:0 to %1:%2):").arg(mapSize.width() - 1).arg(mapSize.height() - 1));
    dialog.setInputMode(QInputDialog::TextInput);
    if (auto* field = dialog.findChild<QLineEdit*>())
        field->setMaxLength(kLongestCellText);
    if (!runModal(dialog))
        return std::nullopt;
    return CellOnMap(dialog.textValue(), mapSize);
}

QPoint CellOnMap(const QString& text, QSize mapSize)
{
    const std::optional<Cell> cell = text.size() <= kLongestCellText ? ParseCellText(text.toStdString()) : std::nullopt;
    const QString shown = text.size() <= kLongestShownText ? text : text.left(kLongestShownText) + QChar(0x2026);
    if (!cell)
        throw std::runtime_error(
            QCoreApplication::translate("GoToCell", "\"%1\" is not a cell. Type its column and row as x:y, for example 12:34").arg(shown).toStdString());
    if (!QRect(QPoint(0, 0), mapSize).contains(QPoint(cell->x, cell->y)))
        throw std::runtime_error(QCoreApplication::translate("GoToCell", "There is no cell %1:%2 on this map of %3 x %4 cells (0:0 to %5:%6)")
                                     .arg(cell->x)
                                     .arg(cell->y)
                                     .arg(mapSize.width())
                                     .arg(mapSize.height())
                                     .arg(mapSize.width() - 1)
                                     .arg(mapSize.height() - 1)
                                     .toStdString());
    return QPoint(cell->x, cell->y);
}
