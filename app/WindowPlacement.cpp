#include "app/WindowPlacement.h"

#include <algorithm>

WindowPlace PlaceOnScreen(QSize wanted, QSize minimum, QMargins frame, const QRect& available)
{
    const QSize room = available.size().shrunkBy(frame);
    const QSize size = wanted.boundedTo(room).expandedTo(minimum);
    QRect outer(QPoint(0, 0), size.grownBy(frame));
    outer.moveCenter(available.center());
    // Larger than the area even at its smallest: the title bar and the left edge stay on it.
    outer.moveLeft(std::max(available.left(), std::min(outer.left(), available.right() + 1 - outer.width())));
    outer.moveTop(std::max(available.top(), std::min(outer.top(), available.bottom() + 1 - outer.height())));
    return {outer.topLeft(), size};
}
