#include "app/mapview/ImageControl.h"

#include "app/mapview/ImageScaling.h"
#include "map/BitmapFormat.h"

#include <QList>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <new>
#include <vector>

const QColor kRouteColour(255, 140, 0); // orange: no entry of the 16-colour table
const QColor kMarkColour(255, 230, 0);    // the square around a cell gone to

namespace {

// A route's end, or a start chosen.
void PaintDot(QPainter& painter, QPointF middle, const QColor& fill)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(fill);
    painter.drawEllipse(middle, 5, 5);
}

const std::array<QRgb, 16> kScreenColours = [] {
    std::array<QRgb, 16> colours{};
    for (std::size_t entry = 0; entry < colours.size(); ++entry)
        colours[entry] = qRgb(kColorTable[entry].red, kColorTable[entry].green, kColorTable[entry].blue);
    return colours;
}();

// The part of a line inside a rectangle (Liang and Barsky); none when it misses it.
std::optional<QLineF> PartInside(const QLineF& line, const QRectF& rect)
{
    double from = 0, to = 1;
    const double d[2] = {line.dx(), line.dy()};
    const double start[2] = {line.x1(), line.y1()};
    const double low[2] = {rect.left(), rect.top()};
    const double high[2] = {rect.right(), rect.bottom()};
    for (int axis = 0; axis < 2; ++axis) {
        if (d[axis] == 0) {
            if (start[axis] < low[axis] || start[axis] > high[axis])
                return std::nullopt;
            continue;
        }
        double enter = (low[axis] - start[axis]) / d[axis];
        double leave = (high[axis] - start[axis]) / d[axis];
        if (enter > leave)
            std::swap(enter, leave);
        from = std::max(from, enter);
        to = std::min(to, leave);
    }
    if (from > to)
        return std::nullopt;
    return QLineF(line.pointAt(from), line.pointAt(to));
}

QRgb GridLineColour(int cell)
{
    return cell % kGridLabelEvery == 0 ? qRgb(200, 200, 200) : qRgb(80, 80, 80);
}

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

// The grid, when shown, is written into the pixels as they are made: a line
// at the first pixel of each cell, every tenth one stronger; then the route.
QImage ImageControl::screenPart(const QRect& target, const QRect& exposed) const
{
    QImage part(exposed.size(), QImage::Format_RGB32);
    std::vector<int> sourceColumns(std::size_t(exposed.width()));
    for (int column = 0; column < exposed.width(); ++column) {
        sourceColumns[std::size_t(column)] =
            SourcePixel(exposed.left() + column - target.left(), target.width(), picture_.Width());
    }
    const bool grid = gridShown_ && GridShows(target.width(), picture_.Width()) && GridShows(target.height(), picture_.Height());
    std::vector<std::pair<int, QRgb>> gridColumns; // the columns of the part with a line, and its colour
    for (int column = 0; grid && column < exposed.width(); ++column) {
        const int cell = sourceColumns[std::size_t(column)];
        if (exposed.left() + column - target.left() == CellStart(cell, target.width(), picture_.Width()))
            gridColumns.emplace_back(column, GridLineColour(cell));
    }
    // Zoomed in, rows that show the same picture row are copies of the first.
    const QRgb* madeLine = nullptr;
    int madeRow = -1;
    for (int row = 0; row < exposed.height(); ++row) {
        const int at = exposed.top() + row - target.top();
        const int sourceRow = SourcePixel(at, target.height(), picture_.Height());
        const std::uint8_t* pairs = picture_.Row(sourceRow);
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(row));
        if (grid && at == CellStart(sourceRow, target.height(), picture_.Height())) {
            std::fill(line, line + exposed.width(), GridLineColour(sourceRow));
            continue;
        }
        if (sourceRow == madeRow) {
            std::copy(madeLine, madeLine + exposed.width(), line);
            continue;
        }
        madeLine = line;
        madeRow = sourceRow;
        for (int column = 0; column < exposed.width(); ++column) {
            const int x = sourceColumns[std::size_t(column)];
            line[column] = kScreenColours[x % 2 ? pairs[x / 2] & 0x0F : pairs[x / 2] >> 4];
        }
        for (const auto& [column, colour] : gridColumns)
            line[column] = colour;
    }
    if (!trails_.empty())
        writeTrails(part, exposed, target);
    if (!routeCorners_.empty())
        writeRoute(part, exposed, target);
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
    // Rectangle by rectangle: where the overview stands over the map, the
    // exposed region has a hole, which is neither worked out nor drawn.
    // With a clip of its own, Qt's raster engine draws long runs of pixels
    // straight away instead of handing each to its threads.
    for (const QRect& part : event->region() & target) {
        painter.setClipRect(part);
        painter.drawImage(part.topLeft(), screenPart(target, part));
    }
    if (target.isEmpty())
        return;
    painter.setClipRect(event->rect());
    if (!route_.empty())
        paintRouteEnds(painter, target, event->rect());
    if (startMark_)
        PaintDot(painter, middleOf(*startMark_, target), Qt::white);
    if (player_ && playerRingBounds(target).intersects(event->rect()))
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

QRect ImageControl::playerRingBounds(const QRect& target) const
{
    const int reach = int(std::ceil(playerRingRadius())) + 3; // and half the outer pen
    return QRect(middleOf(*player_, target).toPoint() - QPoint(reach, reach), QSize(2 * reach + 1, 2 * reach + 1));
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

void ImageControl::setStartMark(std::optional<QPoint> cell)
{
    startMark_ = cell;
    update();
}

void ImageControl::setTrails(std::vector<Trail> trails)
{
    const QRegion before = trailsCovered();
    trails_ = std::move(trails);
    update(before + trailsCovered());
}

// Each trail's own bounds: players apart cover little of what lies between them.
QRegion ImageControl::trailsCovered() const
{
    QRegion covered;
    if (picture_.IsEmpty())
        return covered;
    for (const Trail& trail : trails_) {
        QRect cells;
        for (const QPoint& cell : trail.cells)
            cells |= QRect(cell, QSize(1, 1));
        if (!cells.isEmpty())
            covered += controlRectOf(cells).adjusted(-2, -2, 2, 2);
    }
    return covered;
}

// Two pixels wide along each step, blended over the map by its age, straight
// into the screen's pixels. Each trail's pixels are kept for the place of the
// picture and follow its new steps (TrailShape.h), so a repaint costs what
// they cost.
void ImageControl::writeTrails(QImage& part, const QRect& exposed, const QRect& target) const
{
    trailShapes_.resize(trails_.size());
    uchar* const pixels = part.bits();
    const qsizetype stride = part.bytesPerLine();
    for (std::size_t i = 0; i < trails_.size(); ++i) {
        const Trail& trail = trails_[i];
        trailShapes_[i].update(trail.cells, pictureSize(), target);
        const QRgb colour = trail.colour.rgb();
        for (const TrailPixel& trailPixel : trailShapes_[i].pixels()) {
            const int x = trailPixel.x - exposed.left();
            const int y = trailPixel.y - exposed.top();
            if (x < 0 || y < 0 || x >= part.width() || y >= part.height())
                continue;
            QRgb& pixel = reinterpret_cast<QRgb*>(pixels + y * stride)[x];
            const int alpha = int(256 * (1.0 - 0.85 * trail.ages[std::size_t(trailPixel.step)]));
            const auto mix = [alpha](int over, int under) { return (over * alpha + under * (256 - alpha)) >> 8; };
            pixel = qRgb(mix(qRed(colour), qRed(pixel)), mix(qGreen(colour), qGreen(pixel)), mix(qBlue(colour), qBlue(pixel)));
        }
    }
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
    routeCorners_.clear();
    for (std::size_t i = 0; i < route_.size(); ++i) {
        const bool turns = i == 0 || i + 1 == route_.size() || route_[i] - route_[i - 1] != route_[i + 1] - route_[i];
        if (turns)
            routeCorners_.push_back(route_[i]);
    }
    update();
}

// The route written into the pixels of a part of the screen: each straight
// stretch in view a band at least 3 pixels across of orange with a black
// pixel on either side, each turn a square. Written pixel by pixel in one pass, it costs what its part in view
// costs, however long the route (a wide pen's outline cost a third of a
// repaint at 1600%).
void ImageControl::writeRoute(QImage& part, const QRect& exposed, const QRect& target) const
{
    const QRectF near = QRectF(exposed).adjusted(-3, -3, 3, 3);
    uchar* const pixels = part.bits();
    const qsizetype stride = part.bytesPerLine();
    const auto put = [&](int x, int y, QRgb colour) {
        x -= exposed.left();
        y -= exposed.top();
        if (x >= 0 && y >= 0 && x < part.width() && y < part.height())
            reinterpret_cast<QRgb*>(pixels + y * stride)[x] = colour;
    };
    const auto square = [&](QPointF at, int half, QRgb colour) {
        for (int y = -half; y <= half; ++y)
            for (int x = -half; x <= half; ++x)
                put(int(std::floor(at.x())) + x, int(std::floor(at.y())) + y, colour);
    };
    const QRgb orange = kRouteColour.rgb();
    const auto band = [&](const QLineF& line) {
        // At 45 degrees, as a route's diagonal stretches are, the pixels
        // across go along a row: one stretch of memory a step.
        const bool flat = std::abs(line.dx()) > std::abs(line.dy());
        const double major = std::max(std::abs(line.dx()), std::abs(line.dy()));
        const int steps = std::max(1, int(std::ceil(major)));
        // Counted along the minor direction, a slanting band needs more
        // pixels to be 3 across: 5 at 45 degrees.
        const int orangeHalf = major > 0 ? int(std::ceil((3 * line.length() / major - 1) / 2 - 1e-9)) : 1;
        const double stepX = line.dx() / steps;
        const double stepY = line.dy() / steps;
        double atX = line.x1();
        double atY = line.y1();
        for (int i = 0; i <= steps; ++i, atX += stepX, atY += stepY) {
            const int x = int(std::floor(atX));
            const int y = int(std::floor(atY));
            for (int offset = -orangeHalf - 1; offset <= orangeHalf + 1; ++offset)
                put(flat ? x : x + offset, flat ? y + offset : y, std::abs(offset) > orangeHalf ? qRgb(0, 0, 0) : orange);
        }
    };
    // The turns in view get a black square under the bands and an orange one
    // over them, so that one band's dark edge never cuts the next one.
    std::vector<QPointF> turns;
    for (const QPoint& corner : routeCorners_)
        if (const QPointF at = middleOf(corner, target); near.contains(at))
            turns.push_back(at);
    for (const QPointF& turn : turns)
        square(turn, 3, qRgb(0, 0, 0));
    QPointF previous = middleOf(routeCorners_.front(), target);
    for (std::size_t i = 1; i < routeCorners_.size(); ++i) {
        const QPointF next = middleOf(routeCorners_[i], target);
        if (const std::optional<QLineF> inView = PartInside(QLineF(previous, next), near))
            band(*inView);
        previous = next;
    }
    for (const QPointF& turn : turns)
        square(turn, 2, orange);
}

// The dots at the route's ends: its start white, unless the player stands
// there (the ring tells it, and the letter stays in sight), its end orange.
void ImageControl::paintRouteEnds(QPainter& painter, const QRect& target, const QRect& exposed) const
{
    const QRectF near = QRectF(exposed).adjusted(-8, -8, 8, 8);
    for (const auto& [end, fill] : {std::pair(route_.front(), QColor(Qt::white)), std::pair(route_.back(), kRouteColour)}) {
        const QPointF middle = middleOf(end, target);
        if (near.contains(middle) && !(fill == Qt::white && end == player_))
            PaintDot(painter, middle, fill);
    }
}
