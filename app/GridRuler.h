#pragma once
// A strip along the top or the left edge of the map area that numbers the
// grid's stronger lines, every tenth cell. Opaque, and mouse events pass
// through it.

#include "app/ImageScaling.h"

#include <QWidget>

#include <vector>

class GridRuler : public QWidget {
    Q_OBJECT
public:
    GridRuler(Qt::Orientation orientation, QWidget* area);

    // Lays itself along its edge of the area, from `from` pixels on (past
    // the other ruler), with the labels at their pixels of the area.
    void showLabels(const std::vector<GridLabel>& labels, int from);
    const std::vector<GridLabel>& labels() const { return labels_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation orientation_;
    std::vector<GridLabel> labels_;
    int from_ = 0;
};
