#pragma once
// A horizontal bar that resizes the control beside it: dragging shows a
// hatched line that follows the mouse, and on release the control takes the
// new height. The height is at most what the filling control can give up;
// a control dragged to kSnapHeight or less collapses to nothing.
// Hand-written because QSplitter resizes both neighbours and never hides one
// at a snap height.

#include <QPointer>
#include <QWidget>

class PanelSplitter : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSnapHeight = 30;
    enum class Side { Above, Below };

    // resized stands on the given side of the splitter; fill is the control
    // on the other side that takes up what resized gives or takes.
    PanelSplitter(QWidget* resized, Side side, QWidget* fill, QWidget* parent);

    // The height the resized control gets when dragged to requested.
    static int SnappedHeight(int requested, int maximum);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int MaximumHeight() const;
    int RequestedHeight(int mouseY) const;
    int DragLineY(int mouseY) const;

    QWidget* resized_;
    Side side_;
    QWidget* fill_;
    int pressY_ = 0;
    QPointer<QWidget> dragLine_;
};
