#pragma once
// The overview in a corner of the map area: the whole map, at most 160 x 160
// pixels with its proportions kept, the part of it in view as a rectangle,
// the player and the route's ends as dots. A click or a drag on it asks for
// the view to be centred there. Opaque, so the map under it is not painted
// again when it changes.

#include "map/IndexedImage.h"

#include <QImage>
#include <QWidget>

#include <optional>

constexpr int kOverviewSide = 160;

// The whole picture made small: each pixel the one in the middle of the part
// of the picture it stands for, so that the cost does not grow with the map.
QImage OverviewImage(const IndexedImage& picture, int maxSide = kOverviewSide);

// Where the part of the control in view (visible, in the control's pixels,
// of a control of imageSize) lies on an overview of overviewSize.
QRect OverviewRect(const QRect& visible, QSize imageSize, QSize overviewSize);

class MapOverview : public QWidget {
    Q_OBJECT
public:
    explicit MapOverview(QWidget* area);

    void setPicture(const IndexedImage& picture);
    const QImage& image() const { return image_; }
    QSize mapSize() const { return mapSize_; }
    // The part of the control in view, in the control's pixels.
    void setView(const QRect& visible, QSize imageSize);
    const QRect& viewRect() const { return viewRect_; }
    void setPlayer(std::optional<QPoint> cell);
    void setRouteEnds(std::optional<QPoint> start, std::optional<QPoint> end);

signals:
    // Clicked or dragged at a point of the map, as a fraction of its width and height.
    void centreRequested(QPointF fraction);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPointF onOverview(QPoint cell) const;
    void requestCentre(QPoint at);

    QImage image_;
    QSize mapSize_;
    QRect viewRect_;
    std::optional<QPoint> player_;
    std::optional<QPoint> routeStart_;
    std::optional<QPoint> routeEnd_;
};
