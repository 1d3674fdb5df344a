#include "TImage.h"

#include <QPaintEvent>
#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::SetPicture(const QImage& picture)
{
    picture_ = picture;
    if (autoSize_ && !picture_.isNull())
        resize(picture_.size());
    update();
}

void TImage::SetAutoSize(bool on)
{
    autoSize_ = on;
    if (autoSize_)
        resize(picture_.size());
}

void TImage::SetStretch(bool on)
{
    stretch_ = on;
    update();
}

void TImage::SetCenter(bool on)
{
    center_ = on;
    update();
}

QRect TImage::PictureTarget() const
{
    if (stretch_)
        return rect();
    QRect target(QPoint(0, 0), picture_.size());
    if (center_)
        target.moveTopLeft(QPoint((width() - target.width()) / 2, (height() - target.height()) / 2));
    return target;
}

void TImage::paintEvent(QPaintEvent* event)
{
    if (picture_.isNull())
        return;
    const QRect target = PictureTarget();
    const QRect exposed = event->rect() & target;
    if (exposed.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (target.size() == picture_.size()) {
        // Only the exposed part is converted for the screen.
        painter.drawImage(exposed.topLeft(), picture_.copy(exposed.translated(-target.topLeft())));
        return;
    }
    painter.drawImage(target, picture_);
}
