#include "app/mapview/MapView.h"

#include "app/mapview/CellReadout.h"
#include "app/mapview/GridRuler.h"
#include "app/mapview/ImageControl.h"
#include "app/mapview/ImageScaling.h"
#include "app/mapview/MapOverview.h"
#include "app/mapview/PlayerMarker.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int kWheelStep = 120; // one notch of a common wheel

// The offset on a control resized from oldLength to newLength that shows what
// the middle of the screen pixel at `at` showed before.
int ScaledOffset(int at, int oldLength, int newLength)
{
    if (oldLength <= 0)
        return at;
    return int((2 * std::int64_t(at) + 1) * newLength / (2 * std::int64_t(oldLength)));
}

} // namespace

constexpr int kGoToMarkMilliseconds = 1500;

MapView::MapView(QWidget* parent)
    : QScrollArea(parent),
      image_(new ImageControl),
      readout_(new CellReadout(viewport())),
      goToMarkTimer_(new QTimer(this)),
      overview_(new MapOverview(viewport())),
      players_(new PlayersOverlay([this](QPoint cell) { return viewportRectOfCell(cell); }, viewport())),
      gridColumns_(new GridRuler(Qt::Horizontal, this)),
      gridRows_(new GridRuler(Qt::Vertical, this))
{
    connect(overview_, &MapOverview::centreRequested, this, &MapView::centreOn);
    goToMarkTimer_->setSingleShot(true);
    goToMarkTimer_->setInterval(kGoToMarkMilliseconds);
    connect(goToMarkTimer_, &QTimer::timeout, this, [this] { image_->setGoToMark(std::nullopt); });
    setObjectName(QStringLiteral("sb1"));
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    viewport()->setPalette(black);
    viewport()->setAutoFillBackground(true);
    viewport()->setMouseTracking(true);
    image_->setGridShown(gridWanted_);
    image_->setObjectName(QStringLiteral("img1"));
    image_->resize(257, 245);
    image_->setMouseTracking(true);
    setWidget(image_);
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QScrollBar::actionTriggered, this, &MapView::userMoved);
}

const IndexedImage& MapView::picture() const
{
    return image_->picture();
}

QSize MapView::pictureSize() const
{
    return image_->pictureSize();
}

void MapView::setPicture(IndexedImage picture)
{
    image_->setPicture(std::move(picture));
    if (!image_->autoSize() && !image_->picture().IsEmpty())
        image_->resize(zoomedSize());
    markerOnPicture_ = QRect();
    underMarker_.clear();
    image_->setPlayer(std::nullopt);
    overview_->setPicture(image_->picture());
    overview_->setPlayer(std::nullopt);
    placeOverlays();
}

// The whole map in the area, beside the grid's numbers when it shows them.
QSize MapView::fittedSize() const
{
    const QMargins rulers = viewportMargins();
    const QSize room = maximumViewportSize() + QSize(rulers.left(), rulers.top());
    const QSize whole = pictureSize().scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    if (!gridWanted_ || !GridShows(whole.width(), pictureSize().width()) ||
        !GridShows(whole.height(), pictureSize().height()))
        return whole;
    const QSize besideRulers = room - QSize(gridRows_->thickness(), gridColumns_->thickness());
    const QSize fitted = pictureSize().scaled(besideRulers, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    if (GridShows(fitted.width(), pictureSize().width()) && GridShows(fitted.height(), pictureSize().height()))
        return fitted;
    // Beside the rulers it would be too small for the grid: as large as it
    // gets without the grid, in the whole area.
    const QSize belowGrid(kGridFromScale * pictureSize().width() - 1, kGridFromScale * pictureSize().height() - 1);
    return pictureSize().scaled(room.boundedTo(belowGrid), Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QSize MapView::zoomedSize() const
{
    const QSize base = fitted_ ? fittedSize() : pictureSize();
    return QSize(ZoomedSize(base.width(), zoomSteps_), ZoomedSize(base.height(), zoomSteps_));
}

void MapView::zoomIn()
{
    ++zoomSteps_;
    image_->setAutoSize(false);
    image_->setStretch(true);
    image_->resize(ZoomedInSize(image_->width()), ZoomedInSize(image_->height()));
}

void MapView::zoomOut()
{
    --zoomSteps_;
    image_->setAutoSize(false);
    image_->setStretch(true);
    image_->resize(ZoomedOutSize(image_->width()), ZoomedOutSize(image_->height()));
}

void MapView::showNaturalSize()
{
    fitted_ = false;
    zoomSteps_ = 0;
    image_->setStretch(false);
    image_->setAutoSize(true);
}

void MapView::fitToArea()
{
    if (picture().IsEmpty())
        return;
    fitted_ = true;
    zoomSteps_ = 0;
    image_->setAutoSize(false);
    image_->setStretch(true);
    image_->resize(fittedSize());
}

// The point keeps its place in the control, then moves onto the cell it
// showed where rounding put it on a neighbour.
void MapView::zoomAt(QPoint viewportPoint, bool in)
{
    const QPoint onImage = image_->mapFrom(viewport(), viewportPoint);
    const std::optional<QPoint> cell = cellAt(viewportPoint);
    const QSize before = image_->size();
    in ? zoomIn() : zoomOut();
    const QSize after = image_->size();
    QPoint target(ScaledOffset(onImage.x(), before.width(), after.width()),
                  ScaledOffset(onImage.y(), before.height(), after.height()));
    if (cell) {
        const QRect pixels = image_->controlRectOf(QRect(*cell, QSize(1, 1)));
        target = QPoint(std::clamp(target.x(), pixels.left(), pixels.right()),
                        std::clamp(target.y(), pixels.top(), pixels.bottom()));
    }
    horizontalScrollBar()->setValue(target.x() - viewportPoint.x());
    verticalScrollBar()->setValue(target.y() - viewportPoint.y());
    setHoveredCell(cellAt(viewportPoint));
}

QSize MapView::imageSize() const
{
    return image_->size();
}

std::optional<QPoint> MapView::cellAt(QPoint viewportPoint) const
{
    const QSize shown = pictureSize();
    const QRect target = image_->pictureTarget();
    const QPoint at = image_->mapFrom(viewport(), viewportPoint);
    if (shown.isEmpty() || !target.contains(at) || !viewport()->rect().contains(viewportPoint))
        return std::nullopt;
    return QPoint(SourcePixel(at.x() - target.left(), target.width(), shown.width()),
                  SourcePixel(at.y() - target.top(), target.height(), shown.height()));
}

void MapView::bringCellIntoView(QPoint cell)
{
    if (dragging_ || !QRect(QPoint(0, 0), pictureSize()).contains(cell))
        return;
    const QRect onImage = image_->controlRectOf(QRect(cell, QSize(1, 1)));
    const QRect visible(-image_->pos(), viewport()->size());
    if (visible.contains(onImage))
        return;
    horizontalScrollBar()->setValue(onImage.center().x() - viewport()->width() / 2);
    verticalScrollBar()->setValue(onImage.center().y() - viewport()->height() / 2);
}

void MapView::goToCell(QPoint cell)
{
    const QRect onImage = image_->controlRectOf(QRect(cell, QSize(1, 1)));
    horizontalScrollBar()->setValue(onImage.center().x() - viewport()->width() / 2);
    verticalScrollBar()->setValue(onImage.center().y() - viewport()->height() / 2);
    image_->setGoToMark(cell);
    goToMarkTimer_->start();
    emit userMoved();
}

void MapView::showMarker(QPoint topLeft)
{
    IndexedImage& shown = image_->pictureForDrawing();
    const QRect previous = markerOnPicture_;
    auto under = underMarker_.cbegin();
    for (int y = previous.top(); y <= previous.bottom(); ++y)
        for (int x = previous.left(); x <= previous.right(); ++x)
            shown.SetPixel(x, y, *under++);
    markerOnPicture_ = PlayerMarkerBounds(topLeft) & QRect(QPoint(0, 0), pictureSize());
    underMarker_.clear();
    for (int y = markerOnPicture_.top(); y <= markerOnPicture_.bottom(); ++y)
        for (int x = markerOnPicture_.left(); x <= markerOnPicture_.right(); ++x)
            underMarker_.push_back(shown.Pixel(x, y));
    DrawPlayerMarkerAt(shown, topLeft.x(), topLeft.y());
    image_->setPlayer(topLeft + QPoint(5, 5));
    overview_->setPlayer(topLeft + QPoint(5, 5));
    image_->repaintPixels(previous);
    image_->repaintPixels(markerOnPicture_);
}

void MapView::setTrails(std::vector<Trail> trails)
{
    image_->setTrails(std::move(trails));
}

void MapView::setRoute(std::vector<QPoint> cells)
{
    if (cells.empty())
        overview_->setRouteEnds(std::nullopt, std::nullopt);
    else
        overview_->setRouteEnds(cells.front(), cells.back());
    image_->setRoute(std::move(cells));
}

void MapView::setOverviewWanted(bool wanted)
{
    overviewWanted_ = wanted;
    placeOverlays();
}

void MapView::setGridWanted(bool wanted)
{
    gridWanted_ = wanted;
    image_->setGridShown(wanted);
    placeOverlays();
}

void MapView::placeOverlays()
{
    placeGridRulers();
    placeOverview();
    players_->setGeometry(viewport()->rect());
    players_->raise(); // over the picture
    players_->update();
    overview_->raise(); // over the players' names
    readout_->raise(); // over the overview
}

std::optional<QRectF> MapView::viewportRectOfCell(QPoint cell) const
{
    if (image_->picture().IsEmpty())
        return std::nullopt;
    return QRectF(image_->controlRectOf(QRect(cell, QSize(1, 1))).translated(image_->pos()));
}

void MapView::setPlayerMarks(std::vector<PlayerMark> marks)
{
    players_->setMarks(std::move(marks));
}

// Beside the map area, in margins the scroll area leaves for them, so that
// they cover no cell.
void MapView::placeGridRulers()
{
    const QSize shown = image_->size();
    const bool showing = gridWanted_ && GridShows(shown.width(), pictureSize().width()) &&
                         GridShows(shown.height(), pictureSize().height());
    const QMargins margins = showing ? QMargins(gridRows_->thickness(), gridColumns_->thickness(), 0, 0) : QMargins();
    if (viewportMargins() != margins)
        setViewportMargins(margins); // the area's size changes: placed again from resizeEvent
    if (!showing) {
        gridColumns_->hide();
        gridRows_->hide();
        return;
    }
    const QRect area = viewport()->geometry();
    const QPoint offset = image_->pos();
    // The strip along the top covers the corner too.
    gridColumns_->showLabels(GridLabels(offset.x(), shown.width(), pictureSize().width(), area.width()),
                             QRect(area.left() - margins.left(), area.top() - margins.top(),
                                   area.width() + margins.left(), margins.top()),
                             margins.left());
    gridRows_->showLabels(GridLabels(offset.y(), shown.height(), pictureSize().height(), area.height()),
                          QRect(area.left() - margins.left(), area.top(), margins.left(), area.height()), 0);
}

// Bottom right; top right while the mouse drags the map under it.
void MapView::placeOverview()
{
    const QSize area = viewport()->size();
    const bool larger = image_->width() > area.width() || image_->height() > area.height();
    if (!overviewWanted_ || picture().IsEmpty() || !larger) {
        overview_->hide();
        return;
    }
    overview_->setView(QRect(-image_->pos(), area), image_->size());
    constexpr int gap = 4;
    constexpr int clearance = 8;
    QRect place(QPoint(area.width() - overview_->width() - gap, area.height() - overview_->height() - gap), overview_->size());
    if (dragging_ && place.adjusted(-clearance, -clearance, clearance, clearance).contains(mouse_))
        place.moveTop(gap);
    overview_->move(place.topLeft());
    overview_->show();
    overview_->raise();
}

void MapView::centreOn(QPointF fraction)
{
    horizontalScrollBar()->setValue(int(fraction.x() * image_->width()) - viewport()->width() / 2);
    verticalScrollBar()->setValue(int(fraction.y() * image_->height()) - viewport()->height() / 2);
    emit userMoved();
}

// The viewport's size changed (the window, or scroll bars coming or going):
// the readout and the overview stay inside it.
void MapView::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    if (readout_->isVisible())
        readout_->showText(readout_->text(), mouse_);
    placeOverlays();
}

void MapView::setStartMark(std::optional<QPoint> cell)
{
    image_->setStartMark(cell);
}

void MapView::setSpotlight(std::optional<QPoint> cell)
{
    image_->setSpotlight(cell);
    if (cell && QRect(QPoint(0, 0), pictureSize()).contains(*cell))
        bringCellIntoView(*cell);
}

void MapView::setReadoutText(const QString& text)
{
    readout_->showText(text, mouse_);
}

void MapView::setHoveredCell(std::optional<QPoint> cell)
{
    if (cell == hoveredCell_)
        return;
    hoveredCell_ = cell;
    emit hoveredCellChanged(cell);
}

void MapView::followMouse()
{
    if (mouseOver_)
        setHoveredCell(cellAt(mouse_));
}

void MapView::scrollContentsBy(int dx, int dy)
{
    QScrollArea::scrollContentsBy(dx, dy);
    placeOverlays();
    followMouse();
}

bool MapView::eventFilter(QObject* watched, QEvent* event)
{
    const bool filtered = QScrollArea::eventFilter(watched, event);
    if (watched == image_ && event->type() == QEvent::Resize) {
        // The edge drawn around the picture at its old size lies outside
        // what Qt repaints for a widget that shrank.
        const QSize oldSize = static_cast<QResizeEvent*>(event)->oldSize();
        viewport()->update(QRect(image_->pos(), oldSize).adjusted(-1, -1, 1, 1));
        placeOverlays();
        followMouse();
    }
    return filtered;
}

void MapView::scrollBy(QPoint delta)
{
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + delta.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() + delta.y());
}

void MapView::paintEvent(QPaintEvent*)
{
    if (picture().IsEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(kPictureEdgeColour);
    painter.drawRect(image_->geometry().adjusted(-1, -1, 0, 0));
}

bool MapView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave) {
        mouseOver_ = false;
        setHoveredCell(std::nullopt);
    } else if (event->type() == QEvent::NativeGesture) {
        const auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture && gesture->value() != 0.0) {
            zoomAt(gesture->position().toPoint(), gesture->value() > 0.0);
            return true;
        }
    }
    return QScrollArea::viewportEvent(event);
}

void MapView::wheelEvent(QWheelEvent* event)
{
    emit userMoved();
    const int delta = event->angleDelta().y();
    if (event->modifiers() & Qt::ControlModifier) {
        // Fine-grained wheels send parts of a notch: one step per whole notch.
        wheelZoomRemainder_ += delta;
        while (std::abs(wheelZoomRemainder_) >= kWheelStep) {
            const bool in = wheelZoomRemainder_ > 0;
            wheelZoomRemainder_ += in ? -kWheelStep : kWheelStep;
            zoomAt(event->position().toPoint(), in);
        }
        event->accept();
    } else if (event->modifiers() & Qt::ShiftModifier) {
        const int lines = QApplication::wheelScrollLines() * horizontalScrollBar()->singleStep();
        scrollBy(QPoint(-delta * lines / kWheelStep, 0));
        event->accept();
    } else {
        QScrollArea::wheelEvent(event);
    }
}

void MapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::MiddleButton) {
        QScrollArea::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    dragFrom_ = event->position().toPoint();
}

void MapView::mouseMoveEvent(QMouseEvent* event)
{
    mouse_ = event->position().toPoint();
    mouseOver_ = true;
    if (pressed_ && mouse_ != dragFrom_) {
        if (!dragging_)
            viewport()->setCursor(Qt::ClosedHandCursor);
        dragging_ = true;
        emit userMoved();
        scrollBy(dragFrom_ - mouse_);
        placeOverlays();
        dragFrom_ = mouse_;
    }
    setHoveredCell(cellAt(mouse_));
}

void MapView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::MiddleButton)
        return;
    pressed_ = false;
    if (dragging_)
        viewport()->unsetCursor();
    else if (const std::optional<int> player = players_->playerAt(event->position().toPoint()))
        emit playerClicked(*player);
    dragging_ = false;
}

void MapView::contextMenuEvent(QContextMenuEvent* event)
{
    emit menuRequested(event->globalPos(), cellAt(event->pos()));
}
