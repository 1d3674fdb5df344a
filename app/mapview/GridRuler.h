#pragma once
// A strip beside the top or the left edge of the map area that numbers the
// grid's stronger lines, every tenth cell. Opaque, and mouse events pass
// through it.

#include "app/mapview/ImageScaling.h"

#include <QWidget>

#include <vector>

class GridRuler : public QWidget {
    Q_OBJECT
public:
    GridRuler(Qt::Orientation orientation, QWidget* parent);

    // How high (along the top) or wide (along the left) it is.
    int thickness() const;
    // Lays itself at place, in its parent, with each label at its pixel of
    // the map area plus `from` (where the area starts in the ruler).
    void showLabels(const std::vector<GridLabel>& labels, const QRect& place, int from);
    const std::vector<GridLabel>& labels() const { return labels_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation orientation_;
    std::vector<GridLabel> labels_;
    int from_ = 0;
};
