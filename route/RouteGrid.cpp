#include "route/RouteGrid.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace {

constexpr int kMaxSide = 65535; // so that a cell packs into 32 bits

// Bit 8 * i set when value i of the 8 is not kWalkBlocked: a bit at the
// foot of each value's own byte.
std::uint64_t WalkableByteBits(const std::uint8_t* values)
{
    std::uint64_t bytes;
    std::memcpy(&bytes, values, sizeof bytes);
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    bytes ^= kOnes * kWalkBlocked; // a blocked cell is now a zero byte
    const std::uint64_t low = 0x7F * kOnes, high = 0x80 * kOnes;
    const std::uint64_t nonZero = (((bytes & low) + low) | bytes) & high; // the top bit of each byte not zero
    return nonZero >> 7;
}

// Bit i set when value i of the 8 is not kWalkBlocked.
std::uint64_t WalkableBitsOf8(const std::uint8_t* values)
{
    return (WalkableByteBits(values) * 0x0102040810204080ULL) >> 56; // gathered into the lowest byte
}

} // namespace

std::uint64_t WalkableBits(const std::uint8_t* values, int count)
{
    std::uint64_t bits = 0;
    int i = 0;
    for (; i + 8 <= count; i += 8)
        bits |= WalkableBitsOf8(values + i) << i;
    for (; i < count; ++i)
        bits |= std::uint64_t(values[i] != kWalkBlocked) << i;
    return bits;
}

RouteGrid::RouteGrid(const TMatrix& walk)
    : columns_(walk.Columns()), rows_(walk.Rows()), tileRows_(std::size_t(rows_ + 7) / 8 + 2)
{
    if (columns_ > kMaxSide || rows_ > kMaxSide)
        throw std::invalid_argument("a route is searched on at most 65535 x 65535 cells");
    bits_.resize((std::size_t(columns_ + 7) / 8 + 2) * tileRows_);
    // A column's 8 cells of a tile are a bit at the foot of each of its
    // rows, the tile's first column, moved to the column's own.
    for (int x = 0; x < columns_; ++x) {
        const std::uint8_t* column = walk[x];
        std::uint64_t* tile = &bits_[TileIndex(TileOf({x, 0}))];
        int y = 0;
        for (; y + 8 <= rows_; y += 8, ++tile)
            *tile |= WalkableByteBits(column + y) << (x & 7);
        if (y < rows_) {
            std::uint8_t last[8];
            std::fill(std::begin(last), std::end(last), kWalkBlocked);
            std::copy(column + y, column + rows_, last);
            *tile |= WalkableByteBits(last) << (x & 7);
        }
    }
}
