#include "app/mapview/TrailShape.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Farther than this from the step before, the player was carried (a door,
// another map): no line between them.
constexpr int kTrailJump = 8;

// At most this many of the oldest cells go between two ticks.
constexpr std::size_t kMostDroppedAtOnce = 8;

bool Jumped(QPoint from, QPoint to)
{
    return std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y())) > kTrailJump;
}

bool RowFirst(const TrailPixel& a, const TrailPixel& b)
{
    return a.y != b.y ? a.y < b.y : a.x < b.x;
}

bool SamePlace(const TrailPixel& a, const TrailPixel& b)
{
    return a.x == b.x && a.y == b.y;
}

} // namespace

void TrailShape::update(const std::vector<QPoint>& cells, QSize pictureSize, const QRect& target)
{
    const bool samePlace = pictureSize == pictureSize_ && target == target_;
    if (samePlace && cells == cells_)
        return;
    const std::optional<std::size_t> dropped = samePlace ? droppedWalkingOn(cells) : std::nullopt;
    pictureSize_ = pictureSize;
    target_ = target;
    if (!dropped) {
        pixels_ = pixelsOfSteps(cells, 1);
        cells_ = cells;
        return;
    }
    // The steps ending on a dropped cell, or on the first one kept, are gone;
    // a pixel they owned had no younger step.
    std::vector<TrailPixel> kept;
    kept.reserve(pixels_.size());
    for (TrailPixel pixel : pixels_) {
        if (std::size_t(pixel.step) > *dropped) {
            pixel.step -= int(*dropped);
            kept.push_back(pixel);
        }
    }
    const std::vector<TrailPixel> added = pixelsOfSteps(cells, cells_.size() - *dropped);
    // Merged by row, the new steps' pixels over the kept ones: they are younger.
    pixels_.clear();
    auto old = kept.cbegin();
    for (const TrailPixel& pixel : added) {
        while (old != kept.cend() && RowFirst(*old, pixel))
            pixels_.push_back(*old++);
        if (old != kept.cend() && SamePlace(*old, pixel))
            ++old;
        pixels_.push_back(pixel);
    }
    pixels_.insert(pixels_.end(), old, kept.cend());
    cells_ = cells;
}

std::optional<std::size_t> TrailShape::droppedWalkingOn(const std::vector<QPoint>& cells) const
{
    for (std::size_t dropped = 0; dropped <= std::min(kMostDroppedAtOnce, cells_.size()); ++dropped) {
        if (cells_.size() - dropped <= cells.size() &&
            std::equal(cells_.begin() + std::ptrdiff_t(dropped), cells_.end(), cells.begin()))
            return dropped;
    }
    return std::nullopt;
}

std::vector<TrailPixel> TrailShape::pixelsOfSteps(const std::vector<QPoint>& cells, std::size_t from) const
{
    if (pictureSize_.isEmpty())
        return {};
    const auto middleOf = [this](QPoint cell) {
        return QPointF(target_.left() + (cell.x() + 0.5) * target_.width() / pictureSize_.width(),
                       target_.top() + (cell.y() + 0.5) * target_.height() / pictureSize_.height());
    };
    std::vector<TrailPixel> pixels;
    for (std::size_t i = std::max<std::size_t>(from, 1); i < cells.size(); ++i) {
        if (Jumped(cells[i - 1], cells[i]))
            continue;
        const QPointF start = middleOf(cells[i - 1]);
        const QPointF end = middleOf(cells[i]);
        const double dx = end.x() - start.x();
        const double dy = end.y() - start.y();
        const bool flat = std::abs(dx) > std::abs(dy);
        const int steps = std::max(1, int(std::ceil(std::max(std::abs(dx), std::abs(dy)))));
        for (int k = 0; k <= steps; ++k) {
            const int x = int(std::floor(start.x() + dx * k / steps));
            const int y = int(std::floor(start.y() + dy * k / steps));
            pixels.push_back({x, y, int(i)});
            pixels.push_back({flat ? x : x + 1, flat ? y + 1 : y, int(i)});
        }
    }
    // Steps come oldest first: the last of each pixel is the youngest.
    std::stable_sort(pixels.begin(), pixels.end(), RowFirst);
    std::vector<TrailPixel> once;
    for (std::size_t i = 0; i < pixels.size(); ++i)
        if (i + 1 == pixels.size() || !SamePlace(pixels[i + 1], pixels[i]))
            once.push_back(pixels[i]);
    return once;
}
