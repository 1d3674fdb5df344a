#include "TToolbar.h"

#include <QPainter>

namespace {

// An etched line: a shadow line with a light line beside it.
void DrawGroove(QPainter& painter, const QPalette& palette, QPoint from, QPoint to, QPoint besideStep)
{
    painter.setPen(palette.color(QPalette::Mid));
    painter.drawLine(from, to);
    painter.setPen(palette.color(QPalette::Light));
    painter.drawLine(from + besideStep, to + besideStep);
}

} // namespace

void TToolbar::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    DrawGroove(painter, palette(), QPoint(0, 0), QPoint(width() - 1, 0), QPoint(0, 1));
}

TSpacer::TSpacer(bool grooved, QWidget* parent) : QWidget(parent), grooved_(grooved)
{
    setFixedSize(8, 25);
}

void TSpacer::paintEvent(QPaintEvent*)
{
    if (!grooved_)
        return;
    QPainter painter(this);
    const int middle = width() / 2 - 1;
    DrawGroove(painter, palette(), QPoint(middle, 1), QPoint(middle, height() - 2), QPoint(1, 0));
}
