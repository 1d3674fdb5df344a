#include "app/mapview/PlayersOverlay.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int kEdgeMargin = 4;
constexpr int kArrowRoom = 14; // before an edge name: its arrow

bool SameLook(const PlayersOverlay::Label& one, const PlayersOverlay::Label& other)
{
    return one.text == other.text && one.rect == other.rect && one.ring == other.ring &&
           one.ringRadius == other.ringRadius && one.arrow == other.arrow;
}

} // namespace

PlayersOverlay::PlayersOverlay(CellPlace place, QWidget* parent) : QWidget(parent), place_(std::move(place))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

// Only what changed is painted anew: the map under a name that stays is not
// painted again each tick.
void PlayersOverlay::setMarks(std::vector<PlayerMark> marks)
{
    const std::vector<Label> before = labels();
    const std::vector<PlayerMark> marksBefore = std::exchange(marks_, std::move(marks));
    const std::vector<Label> after = labels();
    QRegion changed;
    for (std::size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
        const bool same = i < before.size() && i < after.size() && SameLook(before[i], after[i]) &&
                          marksBefore[i].colour == marks_[i].colour && marksBefore[i].ringed == marks_[i].ringed;
        if (same)
            continue;
        if (i < before.size())
            changed += coveredBy(before[i]);
        if (i < after.size())
            changed += coveredBy(after[i]);
    }
    update(changed);
}

QRegion PlayersOverlay::coveredBy(const Label& label)
{
    QRegion region = label.rect.adjusted(-kArrowRoom - 2, -2, 2, 2);
    if (label.ring) {
        const int reach = int(std::ceil(label.ringRadius)) + 3; // the pens' widths
        region += QRect(label.ring->toPoint() - QPoint(reach, reach), QSize(2 * reach + 1, 2 * reach + 1));
    }
    return region;
}

std::vector<PlayersOverlay::Label> PlayersOverlay::labels() const
{
    std::vector<Label> labels;
    const QFontMetrics metrics = fontMetrics();
    const int lineHeight = metrics.height() + 2;
    int edgeTop = kEdgeMargin;
    for (const PlayerMark& mark : marks_) {
        Label label{mark.id, mark.name, {}, {}, 0, {}};
        const std::optional<QRectF> cell = mark.cell ? place_(*mark.cell) : std::nullopt;
        if (cell && rect().contains(cell->center().toPoint())) {
            label.ring = cell->center();
            const double cellSize = std::max(cell->width(), cell->height());
            // The view's own ring of the first player is wider, around its letter.
            label.ringRadius = mark.ringed ? std::max(7.0, 1.5 * cellSize) : std::max(8.0, 7.0 * cellSize);
            const int left = int(std::ceil(cell->center().x() + label.ringRadius)) + 3;
            label.rect = QRect(left, int(cell->center().y()) - lineHeight / 2, textWidth(mark.name) + 6, lineHeight);
            labels.push_back(label);
            continue;
        }
        if (cell) {
            const QPointF toward = cell->center() - QPointF(rect().center());
            label.arrow = std::atan2(toward.y(), toward.x());
        } else if (!mark.elsewhere.isEmpty()) {
            label.text = tr("%1 (%2)").arg(mark.name, mark.elsewhere);
        }
        label.rect = QRect(kEdgeMargin + kArrowRoom, edgeTop, textWidth(label.text) + 6, lineHeight);
        edgeTop += lineHeight + 2;
        labels.push_back(label);
    }
    return labels;
}

// Names stay from tick to tick: each is measured once.
int PlayersOverlay::textWidth(const QString& text) const
{
    auto known = textWidths_.constFind(text);
    if (known == textWidths_.constEnd())
        known = textWidths_.insert(text, fontMetrics().horizontalAdvance(text));
    return *known;
}

void PlayersOverlay::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        textWidths_.clear();
    QWidget::changeEvent(event);
}

std::optional<int> PlayersOverlay::playerAt(QPoint point) const
{
    for (const Label& label : labels()) {
        const bool onRing = label.ring && std::hypot(point.x() - label.ring->x(), point.y() - label.ring->y()) <= label.ringRadius;
        const QRect edgeWithArrow = label.ring ? label.rect : label.rect.adjusted(-kArrowRoom, 0, 0, 0);
        if (onRing || edgeWithArrow.contains(point))
            return label.id;
    }
    return std::nullopt;
}

void PlayersOverlay::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const std::vector<Label> laidOut = labels();
    for (std::size_t i = 0; i < laidOut.size(); ++i) {
        const Label& label = laidOut[i];
        const PlayerMark& mark = marks_[i];
        if (!event->region().intersects(coveredBy(label)))
            continue;
        if (label.ring && mark.ringed) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(Qt::black, 4));
            painter.drawEllipse(*label.ring, label.ringRadius, label.ringRadius);
            painter.setPen(QPen(mark.colour, 2));
            painter.drawEllipse(*label.ring, label.ringRadius, label.ringRadius);
        }
        if (label.arrow) {
            const QPointF tip(kEdgeMargin + kArrowRoom / 2.0, label.rect.center().y() + 0.5);
            QPainterPath arrow;
            arrow.moveTo(tip + QPointF(6 * std::cos(*label.arrow), 6 * std::sin(*label.arrow)));
            arrow.lineTo(tip + QPointF(5 * std::cos(*label.arrow + 2.4), 5 * std::sin(*label.arrow + 2.4)));
            arrow.lineTo(tip + QPointF(5 * std::cos(*label.arrow - 2.4), 5 * std::sin(*label.arrow - 2.4)));
            arrow.closeSubpath();
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(mark.colour);
            painter.drawPath(arrow);
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 170));
        painter.drawRoundedRect(label.rect, 3, 3);
        painter.setPen(mark.colour);
        painter.drawText(label.rect, Qt::AlignCenter, label.text);
    }
}
