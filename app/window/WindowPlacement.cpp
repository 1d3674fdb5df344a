#include "app/window/WindowPlacement.h"

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

QPoint PlaceBeside(const QRect& mainFrame, const QRect& mapArea, QSize frameSize, const QRect& available)
{
    const int top = std::max(available.top(), std::min(mainFrame.top(), available.bottom() + 1 - frameSize.height()));
    if (mainFrame.right() + frameSize.width() <= available.right())
        return {mainFrame.right() + 1, top};
    if (mainFrame.left() - frameSize.width() >= available.left())
        return {mainFrame.left() - frameSize.width(), top};
    // Over the side of the main window that the map area leaves free.
    const bool freeOnTheLeft = mapArea.left() - mainFrame.left() >= mainFrame.right() - mapArea.right();
    const int left = freeOnTheLeft ? mapArea.left() - frameSize.width() : mapArea.right() + 1;
    return {std::max(available.left(), std::min(left, available.right() + 1 - frameSize.width())), top};
}
