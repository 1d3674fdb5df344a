#include "map/RouteGrid.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

constexpr int kMaxSide = 65535; // so that a cell packs into 32 bits

// Bit i set when byte i of the 8 is not kWalkBlocked.
std::uint64_t WalkableBitsOf8(const std::uint8_t* values)
{
    std::uint64_t bytes;
    std::memcpy(&bytes, values, sizeof bytes);
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    bytes ^= kOnes * kWalkBlocked; // a blocked cell is now a zero byte
    const std::uint64_t low = 0x7F * kOnes, high = 0x80 * kOnes;
    const std::uint64_t nonZero = (((bytes & low) + low) | bytes) & high; // the top bit of each byte not zero
    return ((nonZero >> 7) * 0x0102040810204080ULL) >> 56;                 // gathered into the lowest byte
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
