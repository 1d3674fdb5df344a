#include "app/mapview/MapOverview.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

QSize OverviewSize(QSize mapSize, int maxSide)
{
    if (mapSize.width() <= maxSide && mapSize.height() <= maxSide)
        return mapSize;
    return mapSize.scaled(maxSide, maxSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// The picture pixel in the middle of the part that the overview pixel at `at` stands for.
int MiddlePixel(int at, int overviewLength, int pictureLength)
{
    return int((2 * std::int64_t(at) + 1) * pictureLength / (2 * std::int64_t(overviewLength)));
}

// Asks for the bytes to be brought into the cache, without waiting for them.
void Prefetch(const std::uint8_t* bytes, std::size_t count)
{
#if defined(__GNUC__)
    for (std::size_t at = 0; at < count; at += 64)
        __builtin_prefetch(bytes + at);
#else
    (void)bytes;
    (void)count;
#endif
}

} // namespace

// The rows of a picture just loaded are no longer in the cache: waiting for
// them is most of the cost, so each row is asked for a few rows ahead.
QImage OverviewImage(const IndexedImage& picture, int maxSide)
{
    if (picture.IsEmpty())
        return QImage();
    const QSize size = OverviewSize(QSize(picture.Width(), picture.Height()), maxSide);
    QImage image(size, QImage::Format_RGB32);
    std::vector<int> columns(std::size_t(size.width()));
    for (int x = 0; x < size.width(); ++x)
        columns[std::size_t(x)] = MiddlePixel(x, size.width(), picture.Width());
    const auto sampledRow = [&](int y) { return picture.Row(MiddlePixel(y, size.height(), picture.Height())); };
    constexpr int ahead = 8;
    for (int y = 0; y < std::min(ahead, size.height()); ++y)
        Prefetch(sampledRow(y), picture.BytesPerLine());
    for (int y = 0; y < size.height(); ++y) {
        if (y + ahead < size.height())
            Prefetch(sampledRow(y + ahead), picture.BytesPerLine());
        const std::uint8_t* row = sampledRow(y);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int at = columns[std::size_t(x)];
            const Rgb& colour = kColorTable[at % 2 ? row[at / 2] & 0x0F : row[at / 2] >> 4];
            line[x] = qRgb(colour.red, colour.green, colour.blue);
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
    setToolTip(tr("The whole map: click or drag to move the view"));
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

void MapOverview::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRect(event->rect(), Qt::IntersectClip); // drawn at once, not on Qt's threads
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
