#pragma once
// One trail's pixels on the screen: two pixels wide along each step through
// the cells' middles, broken where the player was carried more than a few
// cells, each pixel once, owned by the youngest step that crosses it, sorted
// by row. Kept from one tick to the next: when the player has only walked on
// (steps added at the young end, the oldest gone), only the new steps are
// drawn, so that a tick costs what its new steps cost, not the whole trail.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstddef>
#include <optional>
#include <vector>

struct TrailPixel {
    int x, y;
    int step; // the index of the cell the step ends on
};

class TrailShape {
public:
    // The trail's cells, oldest first, on a picture of pictureSize cells
    // drawn at target (the control's pixels).
    void update(const std::vector<QPoint>& cells, QSize pictureSize, const QRect& target);
    const std::vector<TrailPixel>& pixels() const { return pixels_; }

private:
    // How many of the oldest cells went when the rest only walked on; none: not so.
    std::optional<std::size_t> droppedWalkingOn(const std::vector<QPoint>& cells) const;
    // The pixels of the steps ending on cells[from] to the last, sorted, each once.
    std::vector<TrailPixel> pixelsOfSteps(const std::vector<QPoint>& cells, std::size_t from) const;

    std::vector<QPoint> cells_;
    QSize pictureSize_;
    QRect target_;
    std::vector<TrailPixel> pixels_;
};
