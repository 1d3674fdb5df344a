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

// Where a window of its own (frameSize, frame included) opens beside the
// main window (mainFrame), so that it leaves the map area (mapArea, in
// screen coordinates) in sight: right of the main window where the area has
// room, else left of it, else over the main window's side away from the
// map. Its top is the main window's, kept on the area.
QPoint PlaceBeside(const QRect& mainFrame, const QRect& mapArea, QSize frameSize, const QRect& available);
