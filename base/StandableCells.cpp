#include "base/StandableCells.h"

#include <algorithm>

StandableCells::StandableCells(int width, int height)
    : width_(unsigned(std::max(width, 0))), height_(unsigned(std::max(height, 0))),
      bits_((std::size_t(width_) * height_ + 63) / 64)
{
}

void StandableCells::Allow(int x, int y)
{
    if (x < 0 || y < 0 || unsigned(x) >= width_ || unsigned(y) >= height_)
        return;
    const std::size_t at = std::size_t(y) * width_ + unsigned(x);
    bits_[at >> 6] |= std::uint64_t(1) << (at & 63);
}
