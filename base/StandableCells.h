#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The cells a player can stand on, one bit each.
class StandableCells {
public:
    StandableCells() = default;
    StandableCells(int width, int height);

    void Allow(int x, int y);
    bool Contains(unsigned x, unsigned y) const
    {
        if (x >= width_ || y >= height_)
            return false;
        const std::size_t at = std::size_t(y) * width_ + x;
        return (bits_[at >> 6] >> (at & 63) & 1) != 0;
    }
    unsigned Width() const { return width_; }
    unsigned Height() const { return height_; }
    bool IsEmpty() const { return width_ == 0 || height_ == 0; }

private:
    unsigned width_ = 0;
    unsigned height_ = 0;
    std::vector<std::uint64_t> bits_;
};
