#include "app/window/PanelSplitter.h"

#include <QLayout>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// The hatched line shown while dragging.
class DragLine : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), QBrush(Qt::black, Qt::Dense4Pattern));
    }
};

} // namespace

PanelSplitter::PanelSplitter(QWidget* resized, Side side, QWidget* fill, QWidget* parent)
    : QWidget(parent), resized_(resized), side_(side), fill_(fill)
{
    setFixedHeight(3);
    setCursor(Qt::SplitVCursor);
}

int PanelSplitter::SnappedHeight(int requested, int maximum)
{
    const int height = std::min(requested, maximum);
    return height <= kSnapHeight ? 0 : height;
}

int PanelSplitter::MaximumHeight() const
{
    const int fillMinimum = QLayout::closestAcceptableSize(fill_, QSize(fill_->width(), 0)).height();
    return resized_->height() + std::max(0, fill_->height() - fillMinimum);
}

int PanelSplitter::RequestedHeight(int mouseY) const
{
    const int moved = mouseY - pressY_;
    return resized_->height() + (side_ == Side::Above ? moved : -moved);
}

// Where the line stands for a mouse position, kept inside the allowed range.
int PanelSplitter::DragLineY(int mouseY) const
{
    const int height = std::clamp(RequestedHeight(mouseY), 0, MaximumHeight());
    const int moved = height - resized_->height();
    return y() + (side_ == Side::Above ? moved : -moved);
}

void PanelSplitter::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressY_ = event->position().toPoint().y();
    dragLine_ = new DragLine(parentWidget());
    dragLine_->setGeometry(geometry());
    dragLine_->show();
    dragLine_->raise();
}

void PanelSplitter::mouseMoveEvent(QMouseEvent* event)
{
    if (dragLine_)
        dragLine_->move(x(), DragLineY(event->position().toPoint().y()));
}

void PanelSplitter::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragLine_ || event->button() != Qt::LeftButton)
        return;
    delete dragLine_;
    const int height = SnappedHeight(RequestedHeight(event->position().toPoint().y()), MaximumHeight());
    resized_->setFixedHeight(height);
    resized_->setVisible(height > 0);
}
