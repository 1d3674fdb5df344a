#include "ImageControl.h"

#include "ImageScaling.h"

#include <QPaintEvent>
#include <QPainter>

#include <vector>

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
    if (picture_.format() == QImage::Format_Indexed8) {
        screenColors_ = picture_.colorTable();
        screenColors_.resize(256, qRgb(0, 0, 0));
        screenPicture_ = picture_;
    } else if (!picture_.isNull()) {
        screenPicture_ = picture_.convertToFormat(QImage::Format_RGB32);
    } else {
        screenPicture_ = QImage();
    }
    if (autoSize_ && !picture_.isNull())
        resize(picture_.size());
    update();
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
    const bool indexed = screenPicture_.format() == QImage::Format_Indexed8;
    for (int row = 0; row < exposed.height(); ++row) {
        const int sourceRow = SourcePixel(exposed.top() + row - target.top(), target.height(), picture_.height());
        const uchar* source = screenPicture_.constScanLine(sourceRow);
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(row));
        for (int column = 0; column < exposed.width(); ++column) {
            const int x = sourceColumns[std::size_t(column)];
            line[column] = indexed ? screenColors_[source[x]] : reinterpret_cast<const QRgb*>(source)[x];
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
}
