#include "ImageControl.h"

#include "BitmapFormat.h"
#include "ImageScaling.h"

#include <QList>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

const QColor kRouteColour(255, 140, 0); // orange: no entry of the 16-colour table
const QColor kMarkColour(255, 230, 0);    // the square around a cell gone to
const QColor kThinGridColour(80, 80, 80);
const QColor kStrongGridColour(200, 200, 200);

namespace {

const std::array<QRgb, 16> kScreenColours = [] {
    std::array<QRgb, 16> colours{};
    for (std::size_t entry = 0; entry < colours.size(); ++entry)
        colours[entry] = qRgb(kColorTable[entry].red, kColorTable[entry].green, kColorTable[entry].blue);
    return colours;
}();

} // namespace

QImage ToQImage(const IndexedImage& image)
{
    if (image.IsEmpty())
        return QImage();
    QImage picture(image.Width(), image.Height(), QImage::Format_Indexed8);
    if (picture.isNull())
        throw std::bad_alloc();
    picture.setColorTable(QList<QRgb>(kScreenColours.begin(), kScreenColours.end()));
    picture.setDotsPerMeterX(int(kBitmapDotsPerMeter));
    picture.setDotsPerMeterY(int(kBitmapDotsPerMeter));
    for (int y = 0; y < image.Height(); ++y) {
        uchar* line = picture.scanLine(y);
        for (int x = 0; x < image.Width(); ++x)
            line[x] = image.Pixel(x, y);
    }
    return picture;
}

// Opaque: it paints every pixel itself, so scrolling can move what is on
// screen and paint only the strip that comes into view.
ImageControl::ImageControl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageControl::setPicture(IndexedImage picture)
{
    picture_ = std::move(picture);
    if (autoSize_ && !picture_.IsEmpty())
        resize(pictureSize());
    update();
}

// The control pixels whose picture pixel lies in pixels: from the first at
// or past x * target / picture up to the first of the pixel after the last.
QRect ImageControl::controlRectOf(const QRect& pixels) const
{
    const QRect target = pictureTarget();
    auto firstShowing = [](int pixel, int targetLength, int pictureLength) {
        return int((std::int64_t(pixel) * targetLength + pictureLength - 1) / pictureLength);
    };
    const int left = firstShowing(pixels.left(), target.width(), picture_.Width());
    const int top = firstShowing(pixels.top(), target.height(), picture_.Height());
    const int right = firstShowing(pixels.right() + 1, target.width(), picture_.Width());
    const int bottom = firstShowing(pixels.bottom() + 1, target.height(), picture_.Height());
    return QRect(target.left() + left, target.top() + top, std::max(1, right - left), std::max(1, bottom - top));
}

void ImageControl::repaintPixels(const QRect& pixels)
{
    if (!pixels.isEmpty() && !picture_.IsEmpty())
        update(controlRectOf(pixels));
}

void ImageControl::setAutoSize(bool on)
{
    if (autoSize_ == on)
        return;
    autoSize_ = on;
    if (autoSize_)
        resize(pictureSize());
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
    QRect target(QPoint(0, 0), pictureSize());
    target.moveTopLeft(QPoint((width() - target.width()) / 2, (height() - target.height()) / 2));
    return target;
}

QImage ImageControl::screenPart(const QRect& target, const QRect& exposed) const
{
    QImage part(exposed.size(), QImage::Format_RGB32);
    std::vector<int> sourceColumns(std::size_t(exposed.width()));
    for (int column = 0; column < exposed.width(); ++column) {
        sourceColumns[std::size_t(column)] =
            SourcePixel(exposed.left() + column - target.left(), target.width(), picture_.Width());
    }
    for (int row = 0; row < exposed.height(); ++row) {
        const int sourceRow = SourcePixel(exposed.top() + row - target.top(), target.height(), picture_.Height());
        const std::uint8_t* pairs = picture_.Row(sourceRow);
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(row));
        for (int column = 0; column < exposed.width(); ++column) {
            const int x = sourceColumns[std::size_t(column)];
            line[column] = kScreenColours[x % 2 ? pairs[x / 2] & 0x0F : pairs[x / 2] >> 4];
        }
    }
    return part;
}

void ImageControl::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect target = picture_.IsEmpty() ? QRect() : pictureTarget();
    for (const QRect& free : QRegion(event->rect()).subtracted(target))
        painter.fillRect(free, Qt::black); // as the map area around it
    if (!target.isEmpty() && target != rect()) {
        painter.setPen(kPictureEdgeColour);
        painter.drawRect(target.adjusted(-1, -1, 0, 0));
    }
    const QRect exposed = event->rect() & target;
    if (!exposed.isEmpty())
        painter.drawImage(exposed.topLeft(), screenPart(target, exposed));
    if (target.isEmpty())
        return;
    if (gridShown_ && !exposed.isEmpty())
        paintGrid(painter, target, exposed);
    if (!route_.empty())
        paintRoute(painter, target);
    if (player_)
        paintPlayerRing(painter, target);
    if (goToMark_)
        paintGoToMark(painter);
    if (spotlight_)
        paintSpotlight(painter, target);
}

QPointF ImageControl::middleOf(QPoint cell, const QRect& target) const
{
    return QPointF(target.left() + (cell.x() + 0.5) * target.width() / picture_.Width(),
                   target.top() + (cell.y() + 0.5) * target.height() / picture_.Height());
}

// The letter covers about 8 cells around the player's: the ring stays
// outside it when zoomed in, and 12 pixels across when zoomed far out.
double ImageControl::playerRingRadius() const
{
    if (picture_.IsEmpty())
        return 0;
    const QRect target = pictureTarget();
    const double cell = std::max(double(target.width()) / picture_.Width(), double(target.height()) / picture_.Height());
    return std::max(8.0, 7.0 * cell);
}

QRect ImageControl::ringBounds(QPoint cell, double radius) const
{
    if (picture_.IsEmpty())
        return QRect();
    const QPointF middle = middleOf(cell, pictureTarget());
    const int reach = int(std::ceil(radius)) + 4; // the pens' widths
    return QRect(middle.toPoint() - QPoint(reach, reach), QSize(2 * reach + 1, 2 * reach + 1));
}

void ImageControl::setPlayer(std::optional<QPoint> cell)
{
    if (cell == player_)
        return;
    if (player_)
        update(ringBounds(*player_, playerRingRadius()));
    player_ = cell;
    if (player_)
        update(ringBounds(*player_, playerRingRadius()));
}

// White inside black, so that it shows on every colour of the map.
void ImageControl::paintPlayerRing(QPainter& painter, const QRect& target) const
{
    const double radius = playerRingRadius();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 4));
    painter.drawEllipse(middleOf(*player_, target), radius, radius);
    painter.setPen(QPen(QColor(0, 255, 0), 2));
    painter.drawEllipse(middleOf(*player_, target), radius, radius);
}

void ImageControl::setGoToMark(std::optional<QPoint> cell)
{
    goToMark_ = cell;
    update();
}

void ImageControl::paintGoToMark(QPainter& painter) const
{
    const QRect cell = controlRectOf(QRect(*goToMark_, QSize(1, 1)));
    const QRect square = cell.adjusted(-6, -6, 6, 6);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 4));
    painter.drawRect(square);
    painter.setPen(QPen(kMarkColour, 2));
    painter.drawRect(square);
}

void ImageControl::setGridShown(bool shown)
{
    gridShown_ = shown;
    update();
}

// A line at the first pixel of each cell in the exposed part.
void ImageControl::paintGrid(QPainter& painter, const QRect& target, const QRect& exposed) const
{
    if (!GridShows(target.width(), picture_.Width()) || !GridShows(target.height(), picture_.Height()))
        return;
    painter.setRenderHint(QPainter::Antialiasing, false);
    const auto pen = [&painter](int cell) {
        painter.setPen(cell % kGridLabelEvery == 0 ? kStrongGridColour : kThinGridColour);
    };
    const int lastColumn = SourcePixel(exposed.right() - target.left(), target.width(), picture_.Width());
    for (int column = SourcePixel(exposed.left() - target.left(), target.width(), picture_.Width());
         column <= lastColumn; ++column) {
        const int x = target.left() + int(CellStart(column, target.width(), picture_.Width()));
        pen(column);
        painter.drawLine(x, exposed.top(), x, exposed.bottom());
    }
    const int lastRow = SourcePixel(exposed.bottom() - target.top(), target.height(), picture_.Height());
    for (int row = SourcePixel(exposed.top() - target.top(), target.height(), picture_.Height()); row <= lastRow; ++row) {
        const int y = target.top() + int(CellStart(row, target.height(), picture_.Height()));
        pen(row);
        painter.drawLine(exposed.left(), y, exposed.right(), y);
    }
}

void ImageControl::setSpotlight(std::optional<QPoint> cell)
{
    spotlight_ = cell;
    update();
}

// A ring of 8 pixels' radius around the cell's middle, white inside black,
// so that it shows on every colour of the map.
void ImageControl::paintSpotlight(QPainter& painter, const QRect& target) const
{
    const QPointF middle = middleOf(*spotlight_, target);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 4));
    painter.drawEllipse(middle, 8, 8);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawEllipse(middle, 8, 8);
}

void ImageControl::setRoute(std::vector<QPoint> cells)
{
    route_ = std::move(cells);
    update();
}

void ImageControl::paintRoute(QPainter& painter, const QRect& target) const
{
    QPolygonF line;
    line.reserve(qsizetype(route_.size()));
    for (const QPoint& cell : route_)
        line.append(middleOf(cell, target));
    painter.setRenderHint(QPainter::Antialiasing, false); // whole pixels: 3 of orange, however the line falls
    painter.setBrush(Qt::NoBrush);
    for (const QPen& pen : {QPen(Qt::black, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin),
                            QPen(kRouteColour, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)}) {
        painter.setPen(pen);
        painter.drawPolyline(line);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::white);
    painter.drawEllipse(line.first(), 5, 5);
    painter.setBrush(kRouteColour);
    painter.drawEllipse(line.last(), 5, 5);
}
