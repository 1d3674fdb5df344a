#include "ImageControl.h"

#include "ImageScaling.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cstdint>
#include <vector>

const QColor kRouteColour(255, 140, 0); // orange: no entry of the 16-colour table

// Opaque: it paints every pixel itself, so scrolling can move what is on
// screen and paint only the strip that comes into view.
ImageControl::ImageControl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageControl::setPicture(const QImage& picture)
{
    picture_ = picture;
    // Prepared once per picture, so painting only looks colours up.
    screenColors_ = picture_.colorTable();
    screenColors_.resize(256, qRgb(0, 0, 0));
    const bool indexed = picture_.format() == QImage::Format_Indexed8;
    screenPicture_ = indexed || picture_.isNull() ? QImage() : picture_.convertToFormat(QImage::Format_RGB32);
    if (autoSize_ && !picture_.isNull())
        resize(picture_.size());
    update();
}

QImage& ImageControl::pictureForDrawing()
{
    return picture_;
}

// The control pixels whose picture pixel lies in pixels: from the first at
// or past x * target / picture up to the first of the pixel after the last.
QRect ImageControl::controlRectOf(const QRect& pixels) const
{
    const QRect target = pictureTarget();
    auto firstShowing = [](int pixel, int targetLength, int pictureLength) {
        return int((std::int64_t(pixel) * targetLength + pictureLength - 1) / pictureLength);
    };
    const int left = firstShowing(pixels.left(), target.width(), picture_.width());
    const int top = firstShowing(pixels.top(), target.height(), picture_.height());
    const int right = firstShowing(pixels.right() + 1, target.width(), picture_.width());
    const int bottom = firstShowing(pixels.bottom() + 1, target.height(), picture_.height());
    return QRect(target.left() + left, target.top() + top, std::max(1, right - left), std::max(1, bottom - top));
}

void ImageControl::repaintPixels(const QRect& pixels)
{
    if (!pixels.isEmpty() && !picture_.isNull())
        update(controlRectOf(pixels));
}

void ImageControl::setAutoSize(bool on)
{
    if (autoSize_ == on)
        return;
    autoSize_ = on;
    if (autoSize_)
        resize(picture_.size());
}

void ImageControl::setStretch(bool on)
{
    stretch_ = on;
    update();
}

QRect ImageControl::pictureTarget() const
{
    if (stretch_)
        return rect();
    QRect target(QPoint(0, 0), picture_.size());
    target.moveTopLeft(QPoint((width() - target.width()) / 2, (height() - target.height()) / 2));
    return target;
}

QImage ImageControl::screenPart(const QRect& target, const QRect& exposed) const
{
    QImage part(exposed.size(), QImage::Format_RGB32);
    std::vector<int> sourceColumns(std::size_t(exposed.width()));
    for (int column = 0; column < exposed.width(); ++column) {
        sourceColumns[std::size_t(column)] =
            SourcePixel(exposed.left() + column - target.left(), target.width(), picture_.width());
    }
    const bool indexed = screenPicture_.isNull();
    const QImage& source = indexed ? picture_ : screenPicture_;
    for (int row = 0; row < exposed.height(); ++row) {
        const int sourceRow = SourcePixel(exposed.top() + row - target.top(), target.height(), picture_.height());
        const uchar* sourceLine = source.constScanLine(sourceRow);
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(row));
        for (int column = 0; column < exposed.width(); ++column) {
            const int x = sourceColumns[std::size_t(column)];
            line[column] = indexed ? screenColors_[sourceLine[x]] : reinterpret_cast<const QRgb*>(sourceLine)[x];
        }
    }
    return part;
}

void ImageControl::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect target = picture_.isNull() ? QRect() : pictureTarget();
    for (const QRect& free : QRegion(event->rect()).subtracted(target))
        painter.fillRect(free, Qt::black); // as the map area around it
    const QRect exposed = event->rect() & target;
    if (!exposed.isEmpty())
        painter.drawImage(exposed.topLeft(), screenPart(target, exposed));
    if (!route_.empty() && !target.isEmpty())
        paintRoute(painter, target);
}

void ImageControl::setRoute(std::vector<QPoint> cells)
{
    route_ = std::move(cells);
    update();
}

void ImageControl::paintRoute(QPainter& painter, const QRect& target) const
{
    const double across = double(target.width()) / picture_.width();
    const double down = double(target.height()) / picture_.height();
    QPolygonF line;
    line.reserve(qsizetype(route_.size()));
    for (const QPoint& cell : route_)
        line.append(QPointF(target.left() + (cell.x() + 0.5) * across, target.top() + (cell.y() + 0.5) * down));
    painter.setPen(QPen(kRouteColour, 0));
    if (line.size() == 1)
        painter.drawPoint(line.first());
    else
        painter.drawPolyline(line);
}
