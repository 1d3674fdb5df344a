#include "app/mapview/GridRuler.h"

#include <QPaintEvent>
#include <QPainter>

GridRuler::GridRuler(Qt::Orientation orientation, QWidget* parent) : QWidget(parent), orientation_(orientation)
{
    setObjectName(orientation == Qt::Horizontal ? QStringLiteral("gridColumns") : QStringLiteral("gridRows"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

int GridRuler::thickness() const
{
    return orientation_ == Qt::Horizontal ? fontMetrics().height() + 2
                                          : fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 6;
}

void GridRuler::showLabels(const std::vector<GridLabel>& labels, const QRect& place, int from)
{
    if (place != geometry())
        setGeometry(place);
    if (labels.size() != labels_.size() || !std::equal(labels.begin(), labels.end(), labels_.begin(), [](auto a, auto b) {
            return a.at == b.at && a.cell == b.cell;
        })) {
        labels_ = labels;
        update();
    }
    if (from != from_) {
        from_ = from;
        update();
    }
    show();
    raise();
}

void GridRuler::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRect(event->rect(), Qt::IntersectClip); // drawn at once, not on Qt's threads
    painter.fillRect(rect(), QColor(32, 32, 32));
    painter.setPen(QColor(200, 200, 200));
    for (const GridLabel& label : labels_) {
        const int at = label.at + from_;
        if (orientation_ == Qt::Horizontal) {
            painter.drawLine(at, 0, at, height());
            painter.drawText(at + 3, fontMetrics().ascent() + 1, QString::number(label.cell));
        } else {
            painter.drawLine(0, at, width(), at);
            painter.drawText(3, at + fontMetrics().ascent() + 1, QString::number(label.cell));
        }
    }
}
