#include "MapOverview.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kSamples = 4; // each way, per overview pixel

QSize OverviewSize(QSize mapSize, int maxSide)
{
    if (mapSize.width() <= maxSide && mapSize.height() <= maxSide)
        return mapSize;
    return mapSize.scaled(maxSide, maxSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// The picture pixel of the sample-th of kSamples samples over the overview pixel at `at`.
int SampledPixel(int at, int sample, int overviewLength, int pictureLength)
{
    return int((std::int64_t(at) * kSamples + sample) * pictureLength / (std::int64_t(overviewLength) * kSamples));
}

} // namespace

QImage OverviewImage(const IndexedImage& picture, int maxSide)
{
    if (picture.IsEmpty())
        return QImage();
    const QSize size = OverviewSize(QSize(picture.Width(), picture.Height()), maxSide);
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            int red = 0, green = 0, blue = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                const int py = SampledPixel(y, sy, size.height(), picture.Height());
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Rgb& colour = kColorTable[picture.Pixel(SampledPixel(x, sx, size.width(), picture.Width()), py)];
                    red += colour.red;
                    green += colour.green;
                    blue += colour.blue;
                }
            }
            constexpr int count = kSamples * kSamples;
            line[x] = qRgb(red / count, green / count, blue / count);
        }
    }
    return image;
}

QRect OverviewRect(const QRect& visible, QSize imageSize, QSize overviewSize)
{
    if (imageSize.isEmpty() || overviewSize.isEmpty())
        return QRect();
    const auto scaled = [](int at, int from, int to) { return int(std::int64_t(at) * to / from); };
    const QRect shown = visible & QRect(QPoint(0, 0), imageSize);
    const int left = scaled(shown.left(), imageSize.width(), overviewSize.width());
    const int top = scaled(shown.top(), imageSize.height(), overviewSize.height());
    const int right = scaled(shown.left() + shown.width(), imageSize.width(), overviewSize.width());
    const int bottom = scaled(shown.top() + shown.height(), imageSize.height(), overviewSize.height());
    return QRect(left, top, std::max(1, right - left), std::max(1, bottom - top));
}

MapOverview::MapOverview(QWidget* area) : QWidget(area)
{
    setObjectName(QStringLiteral("mapOverview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("The whole map: click or drag to move the view"));
    hide();
}

void MapOverview::setPicture(const IndexedImage& picture)
{
    image_ = OverviewImage(picture);
    mapSize_ = QSize(picture.Width(), picture.Height());
    resize(image_.size() + QSize(2, 2)); // and a frame
    update();
}

void MapOverview::setView(const QRect& visible, QSize imageSize)
{
    const QRect rect = OverviewRect(visible, imageSize, image_.size());
    if (rect == viewRect_)
        return;
    viewRect_ = rect;
    update();
}

void MapOverview::setPlayer(std::optional<QPoint> cell)
{
    if (cell == player_)
        return;
    player_ = cell;
    update();
}

void MapOverview::setRouteEnds(std::optional<QPoint> start, std::optional<QPoint> end)
{
    routeStart_ = start;
    routeEnd_ = end;
    update();
}

QPointF MapOverview::onOverview(QPoint cell) const
{
    return QPointF(1 + (cell.x() + 0.5) * image_.width() / mapSize_.width(),
                   1 + (cell.y() + 0.5) * image_.height() / mapSize_.height());
}

void MapOverview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QColor(160, 160, 160));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawImage(1, 1, image_);
    if (image_.isNull())
        return;
    // Zoomed far in, the part in view is a pixel or two: drawn at least 6 across.
    QRect view = viewRect_.translated(1, 1).adjusted(0, 0, -1, -1);
    if (view.width() < 6 || view.height() < 6)
        view = QRect(view.center() - QPoint(3, 3), QSize(std::max(6, view.width()), std::max(6, view.height())));
    painter.setPen(QPen(Qt::black, 3));
    painter.drawRect(view);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(view);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    const auto dot = [&](const std::optional<QPoint>& cell, const QColor& colour) {
        if (cell) {
            painter.setBrush(colour);
            painter.drawEllipse(onOverview(*cell), 3, 3);
        }
    };
    dot(routeStart_, Qt::white);
    dot(routeEnd_, QColor(255, 140, 0));
    dot(player_, QColor(0, 255, 0));
}

void MapOverview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        requestCentre(event->position().toPoint());
}

void MapOverview::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        requestCentre(event->position().toPoint());
}

void MapOverview::requestCentre(QPoint at)
{
    if (image_.isNull())
        return;
    emit centreRequested(QPointF(std::clamp((at.x() - 1 + 0.5) / image_.width(), 0.0, 1.0),
                                 std::clamp((at.y() - 1 + 0.5) / image_.height(), 0.0, 1.0)));
}
