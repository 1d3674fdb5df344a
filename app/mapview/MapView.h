#pragma once
// The map area: the image control in a black scroll area. Zoom In and Zoom
// Out stretch the control by a fifth of its current size, width and height
// each by itself; natural size gives it the picture's own size again. A new
// picture is shown at its own proportions, zoomed as the one before: at its
// natural size, fitted, or by as many fifths in or out of either.
//
// On top: Ctrl + wheel (or a pinch) zooms by the same steps keeping the cell
// under the mouse where it is, as far as the view can scroll; Shift + wheel
// scrolls sideways; dragging with the left or middle button pans; Fit shows
// the whole picture as large as the area allows; a readout label tells the
// cell under the mouse.

#include "app/mapview/ImageControl.h"
#include "app/mapview/PlayersOverlay.h"
#include "map/IndexedImage.h"

#include <QScrollArea>

#include <cstdint>

#include <optional>
#include <vector>

class CellReadout;
class GridRuler;
class MapOverview;
class QTimer;

class MapView : public QScrollArea {
    Q_OBJECT
public:
    explicit MapView(QWidget* parent);

    const IndexedImage& picture() const;
    QSize pictureSize() const;
    void setPicture(IndexedImage picture);

    void zoomIn();
    void zoomOut();
    void showNaturalSize();
    // The picture stretched to the largest size that fits the visible area,
    // keeping its proportions.
    void fitToArea();
    // Zooms one step in or out keeping the cell at viewportPoint under it.
    void zoomAt(QPoint viewportPoint, bool in);

    QSize imageSize() const;
    const std::optional<QPoint>& hoveredCell() const { return hoveredCell_; }

    // The picture pixel (map cell) shown at a point of the viewport, as the
    // painting maps it; none where no picture is drawn.
    std::optional<QPoint> cellAt(QPoint viewportPoint) const;
    // Scrolls the cell into the middle of the area when it is not in view.
    void bringCellIntoView(QPoint cell);
    // Scrolls the cell into the middle of the area and marks it for a
    // moment; a move of the user's.
    void goToCell(QPoint cell);

    // Marks the player on the picture with its top-left corner at topLeft,
    // after putting back the pixels the previous marker covered. Costs what
    // the two markers cover, whatever the map's size.
    // A ring around the marker's cell shows it at any zoom.
    void showMarker(QPoint topLeft);

    // The route drawn over the map; empty: none.
    void setRoute(std::vector<QPoint> cells);
    // Where the players have been (ImageControl.h); empty: none.
    void setTrails(std::vector<Trail> trails);
    // A white dot where a route or a measure starts before it has an end.
    void setStartMark(std::optional<QPoint> cell);
    // A ring around a cell, brought into view; none: no ring.
    void setSpotlight(std::optional<QPoint> cell);
    // The players followed beside the first, ringed and named over the map
    // (PlayersOverlay.h); empty: none.
    void setPlayerMarks(std::vector<PlayerMark> marks);
    const PlayersOverlay& playersOverlay() const { return *players_; }

    // The readout's text for the cell under the mouse; empty hides it.
    void setReadoutText(const QString& text);

    // The overview shows in a corner while the picture is larger than the
    // area and it is wanted; it moves to the other corner on the right while
    // the map is dragged under it.
    void setOverviewWanted(bool wanted);
    bool overviewWanted() const { return overviewWanted_; }
    // The grid from 800% up, numbered every tenth cell along the top and
    // the left edge of the area.
    void setGridWanted(bool wanted);
    bool gridWanted() const { return gridWanted_; }

signals:
    // The mouse moved onto another cell, or off the picture (cell empty).
    void hoveredCellChanged(std::optional<QPoint> cell);
    void menuRequested(QPoint globalPosition, std::optional<QPoint> cell);
    // The user moved the view: a drag, the wheel or a scroll bar.
    void userMoved();
    // A click on a player's name or ring (PlayerMark::id).
    void playerClicked(int id);

protected:
    void paintEvent(QPaintEvent* event) override; // the line just outside the picture's edge
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override; // the picture's control resized: a zoom

private:
    // The size a picture is shown at in the current zoom.
    QSize zoomedSize() const;
    QSize fittedSize() const;
    void setHoveredCell(std::optional<QPoint> cell);
    // The map moved or changed its scale under a mouse that stood still.
    void followMouse();
    void scrollBy(QPoint delta);
    // The view or its picture changed: the overview and the grid's numbers follow.
    void placeOverlays();
    void placeOverview();
    void placeGridRulers();
    void centreOn(QPointF fraction);
    // Where a cell is drawn, in the viewport's pixels; none: no picture.
    std::optional<QRectF> viewportRectOfCell(QPoint cell) const;

    ImageControl* image_;
    CellReadout* readout_;
    QTimer* goToMarkTimer_; // takes the mark away
    MapOverview* overview_;
    PlayersOverlay* players_;
    bool overviewWanted_ = true;
    GridRuler* gridColumns_;
    GridRuler* gridRows_;
    bool gridWanted_ = true;
    QRect markerOnPicture_;
    std::vector<std::uint8_t> underMarker_; // the pixels of markerOnPicture_ row by row, before the marker
    std::optional<QPoint> hoveredCell_;
    QPoint mouse_;
    bool mouseOver_ = false; // mouse_ is where the mouse stands
    QPoint dragFrom_;
    bool pressed_ = false;
    bool dragging_ = false;
    int wheelZoomRemainder_ = 0;
    bool fitted_ = false; // zoomed from the fitted size, not the natural one
    int zoomSteps_ = 0;   // fifths in (positive) or out since natural size or Fit
};
