#include "RouteGrid.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int kMaxSide = 65535; // so that a cell packs into 32 bits

// Bit i set when cell i of the (up to 64) values can be entered.
std::uint64_t WalkableBits(const std::uint8_t* values, int count)
{
    std::uint64_t bits = 0;
    for (int i = 0; i < count; ++i)
        bits |= std::uint64_t(values[i] != kWalkBlocked) << i;
    return bits;
}

} // namespace

RouteGrid::RouteGrid(const TMatrix& walk) : columns_(walk.Columns()), rows_(walk.Rows()), words_((rows_ + 63) / 64)
{
    if (columns_ > kMaxSide || rows_ > kMaxSide)
        throw std::invalid_argument("a route is searched on at most 65535 x 65535 cells");
    const std::size_t tiles = (std::size_t(columns_) + 2 + kTileColumns - 1) / kTileColumns;
    bits_.resize(tiles * kTileColumns * std::size_t(words_));
    for (int x = 0; x < columns_; ++x) {
        const std::uint8_t* column = walk[x];
        for (int word = 0; word < words_; ++word)
            bits_[WordIndex(std::uint32_t(x + 1), std::uint32_t(word))] =
                WalkableBits(column + word * 64, std::min(64, rows_ - word * 64));
    }
}
