#pragma once
// The map area: the image control in a black scroll area. Zoom In and Zoom
// Out stretch the control by a fifth of its current size, width and height
// each by itself; natural size gives it the picture's own size again. A new
// picture keeps the zoomed size.

#include <QScrollArea>

#include <optional>

class ImageControl;

class MapView : public QScrollArea {
    Q_OBJECT
public:
    explicit MapView(QWidget* parent);

    const QImage& picture() const;
    void setPicture(const QImage& picture);

    void zoomIn();
    void zoomOut();
    void showNaturalSize();
    QSize imageSize() const;
    bool isZoomed() const;

    // The picture pixel (map cell) shown at a point of the viewport, as the
    // painting maps it; none where no picture is drawn.
    std::optional<QPoint> cellAt(QPoint viewportPoint) const;

private:
    ImageControl* image_;
};
