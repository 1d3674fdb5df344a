#pragma once
// The small label over a corner of the map area that tells the cell under the
// mouse. Opaque, so a change of its text repaints the label alone, and
// readable over black, red and blue alike. Mouse events pass through it.

#include "app/mapview/MapDocument.h"

#include <QLabel>

class CellReadout : public QLabel {
    Q_OBJECT
public:
    explicit CellReadout(QWidget* area);

    // Shows text in the bottom-left corner of the area, or in the top-right one
    // when the mouse at avoid would be under it; empty text hides the label.
    void showText(const QString& text, QPoint avoid);
};

// "12:34 blocked  300 x 200 cells  120%": the cell, its state, the map's size
// in cells and the zoom (width and height apart when they differ).
QString CellReadoutText(QPoint cell, CellState state, QSize mapSize, QSize shownSize);

// The readout for the cell under the mouse (none: off the map), followed by
// what the route planner says, then each further note (measuring, following)
// on a line of its own, so that the label stays narrower than the area;
// empty when there is nothing to tell.
QString ReadoutText(const MapDocument& document, std::optional<QPoint> cell, QSize shownSize, const QString& route,
                    const QStringList& notes = {});
