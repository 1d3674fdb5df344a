#pragma once
// The two records a map file is made of, and the walkability matrix.
//
// A map file is a 52-byte header followed by W x H cell records of 12 bytes,
// column by column (the row index runs fastest), so the record of cell (x, y)
// starts at 52 + 12 * (x * H + y). Bytes after the last record are never read.

#include <array>
#include <cstdint>
#include <vector>

constexpr std::int64_t kMapHeaderSize = 52;
constexpr std::int64_t kMapCellSize = 12;

struct TMapHeader {
    std::array<std::uint8_t, kMapHeaderSize> bytes{};

    // Both are unsigned: FF FF is 65535.
    int Width() const { return bytes[0] | bytes[1] << 8; }
    int Height() const { return bytes[2] | bytes[3] << 8; }
};

struct TMapCell {
    std::array<std::uint8_t, kMapCellSize> bytes{};

    int BlockingValue() const { return bytes[1]; }
    bool IsBlocked() const { return BlockingValue() > 100; }
    // Flagged only when bit 7 is set in both flag bytes.
    bool IsFlagged() const { return (bytes[6] & bytes[7] & 0x80) != 0; }
};

constexpr std::uint8_t kWalkOpen = 0;
constexpr std::uint8_t kWalkBlocked = 220;

// One walkability value per cell: first index the column x, second the row y.
using TMatrix = std::vector<std::vector<std::uint8_t>>;

constexpr std::int64_t CellOffset(int x, int y, int height)
{
    return kMapHeaderSize + kMapCellSize * (std::int64_t(x) * height + y);
}
