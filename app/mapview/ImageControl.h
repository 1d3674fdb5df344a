#pragma once
// The image control of the map area: shows a picture at its own size
// (auto-size), centred in a larger control, or stretched to the control by
// repeating or dropping whole pixels.
// Hand-written because QLabel smooths or scales the whole picture: a paint
// here costs what the exposed area costs, however large the control. What
// the picture leaves free is black.

#include "app/mapview/TrailShape.h"
#include "map/IndexedImage.h"

#include <QImage>
#include <QWidget>

#include <optional>
#include <vector>

// The line drawn just outside the picture's edge, so that its end shows.
inline const QColor kPictureEdgeColour(110, 110, 110);

// Where a player has been: cells oldest first, each with its age from 0 (now)
// to 1 (about to be forgotten).
struct Trail {
    QColor colour;
    std::vector<QPoint> cells;
    std::vector<double> ages;
};

// A copy at one byte a pixel with the colour table, as the clipboard and
// Qt's painting take it; 96 dots per inch.
QImage ToQImage(const IndexedImage& image);

class ImageControl : public QWidget {
    Q_OBJECT
public:
    explicit ImageControl(QWidget* parent = nullptr);

    const IndexedImage& picture() const { return picture_; }
    QSize pictureSize() const { return QSize(picture_.Width(), picture_.Height()); }
    // With auto-size on, a picture of non-zero size gives the control its size.
    void setPicture(IndexedImage picture);

    bool autoSize() const { return autoSize_; }
    // Switching it on gives the control the picture's size at once.
    void setAutoSize(bool on);
    void setStretch(bool on);

    // The picture to draw on in place; repaintPixels() then shows the change.
    IndexedImage& pictureForDrawing() { return picture_; }
    void repaintPixels(const QRect& pixels);

    // A route drawn over the picture through the cells' middles, at least 3
    // pixels wide with a dark outline, in a colour the map's pictures never
    // have, its start a white dot (but where the player stands) and its end
    // an orange one; empty: none.
    void setRoute(std::vector<QPoint> cells);
    // A ring drawn around one cell; none: no ring.
    void setSpotlight(std::optional<QPoint> cell);
    const std::optional<QPoint>& spotlight() const { return spotlight_; }
    const std::vector<QPoint>& route() const { return route_; }
    // A ring around the player's cell, at least 12 pixels across at any
    // zoom and wide enough for the letter around it; none: no ring.
    void setPlayer(std::optional<QPoint> cell);
    const std::optional<QPoint>& player() const { return player_; }
    // Lines between the cells from 800% up, every tenth stronger.
    void setGridShown(bool shown);
    bool gridShown() const { return gridShown_; }
    // A white dot where a route or a measure starts before it has an end;
    // none: no dot.
    void setStartMark(std::optional<QPoint> cell);
    const std::optional<QPoint>& startMark() const { return startMark_; }
    // Thin lines through the cells' middles, fading with age, broken where
    // the player jumped more than a few cells; under the marks, never in the
    // picture.
    void setTrails(std::vector<Trail> trails);
    const std::vector<Trail>& trails() const { return trails_; }
    // A square around a cell gone to; none: no square.
    void setGoToMark(std::optional<QPoint> cell);
    const std::optional<QPoint>& goToMark() const { return goToMark_; }

    // Where the picture is drawn, in the control's pixels.
    QRect pictureTarget() const;
    // Where some of its pixels are drawn (at least one control pixel each way).
    QRect controlRectOf(const QRect& pixels) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The screen pixels of the exposed part of target, the grid and the route included.
    QImage screenPart(const QRect& target, const QRect& exposed) const;
    void writeRoute(QImage& part, const QRect& exposed, const QRect& target) const;
    void paintRouteEnds(QPainter& painter, const QRect& target, const QRect& exposed) const;
    void paintSpotlight(QPainter& painter, const QRect& target) const;
    QRect playerRingBounds(const QRect& target) const;
    void paintPlayerRing(QPainter& painter, const QRect& target) const;
    void paintGoToMark(QPainter& painter) const;
    void writeTrails(QImage& part, const QRect& exposed, const QRect& target) const;
    // The control pixels the trails touch.
    QRegion trailsCovered() const;
    // The middle of a cell, in the control's pixels.
    QPointF middleOf(QPoint cell, const QRect& target) const;
    double playerRingRadius() const;
    // The control pixels a ring of that radius around a cell may touch.
    QRect ringBounds(QPoint cell, double radius) const;

    IndexedImage picture_;
    std::vector<QPoint> route_;
    std::vector<QPoint> routeCorners_; // its ends and the cells where it turns
    std::optional<QPoint> spotlight_;
    std::optional<QPoint> player_;
    std::optional<QPoint> goToMark_;
    std::optional<QPoint> startMark_;
    std::vector<Trail> trails_;
    mutable std::vector<TrailShape> trailShapes_; // one a trail, kept from one paint to the next
    bool gridShown_ = false;
    bool autoSize_ = true;
    bool stretch_ = false;
};
