#include "MapView.h"

#include "ImageControl.h"
#include "ImageScaling.h"

MapView::MapView(QWidget* parent) : QScrollArea(parent), image_(new ImageControl)
{
    setObjectName(QStringLiteral("sb1"));
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    viewport()->setPalette(black);
    viewport()->setAutoFillBackground(true);
    image_->setObjectName(QStringLiteral("img1"));
    image_->resize(257, 245);
    setWidget(image_);
    image_->setAutoFillBackground(false); // what the picture leaves free stays black
}

const QImage& MapView::picture() const
{
    return image_->picture();
}

void MapView::setPicture(const QImage& picture)
{
    image_->setPicture(picture);
}

void MapView::zoomIn()
{
    image_->setAutoSize(false);
    image_->setStretch(true);
    image_->resize(ZoomedInSize(image_->width()), ZoomedInSize(image_->height()));
}

void MapView::zoomOut()
{
    image_->setAutoSize(false);
    image_->setStretch(true);
    image_->resize(ZoomedOutSize(image_->width()), ZoomedOutSize(image_->height()));
}

void MapView::showNaturalSize()
{
    image_->setStretch(false);
    image_->setAutoSize(true);
}

QSize MapView::imageSize() const
{
    return image_->size();
}

bool MapView::isZoomed() const
{
    return image_->stretch();
}

std::optional<QPoint> MapView::cellAt(QPoint viewportPoint) const
{
    const QImage& shown = image_->picture();
    const QRect target = image_->pictureTarget();
    const QPoint at = image_->mapFrom(viewport(), viewportPoint);
    if (shown.isNull() || !target.contains(at))
        return std::nullopt;
    return QPoint(SourcePixel(at.x() - target.left(), target.width(), shown.width()),
                  SourcePixel(at.y() - target.top(), target.height(), shown.height()));
}
