#pragma once
// Where the window opens: centred on the screen's available area, smaller
// when it does not fit, and never with its title bar or a border off the
// area, whatever the screen's scaling.

#include <QMargins>
#include <QRect>

// What the system's frame usually adds around the window, title bar
// included; the frame is not known before the window is shown.
inline const QMargins kUsualFrame(8, 31, 8, 8);

struct WindowPlace {
    QPoint frameTopLeft;
    QSize size; // of the window inside its frame
};

WindowPlace PlaceOnScreen(QSize wanted, QSize minimum, QMargins frame, const QRect& available);
