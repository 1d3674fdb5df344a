#pragma once
// The two records a map file is made of, and the walkability matrix.
//
// A map file is a 52-byte header followed by W x H cell records of 12 bytes,
// column by column (the row index runs fastest), so the record of cell (x, y)
// starts at 52 + 12 * (x * H + y). Bytes after the last record are never read.

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <new>
#include <utility>
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

// The walkability value of a cell: blocked (shown red), flagged (shown blue,
// walkable whether it blocks or not) or open.
constexpr std::uint8_t kWalkOpen = 0;
constexpr std::uint8_t kWalkBlocked = 220;
constexpr std::uint8_t kWalkFlagged = 1;

// A byte vector whose growth leaves the new bytes as they are, for memory
// that is written in full right after it is had.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    using std::allocator<T>::allocator;
    template <typename U>
    void construct(U* at) noexcept
    {
        ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Arguments>
    void construct(U* at, Arguments&&... arguments)
    {
        ::new (static_cast<void*>(at)) U(std::forward<Arguments>(arguments)...);
    }
};
using UninitializedBytes = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;

struct Uninitialized {};

// One walkability value per cell: first index the column x, second the row y.
// The columns lie one after the other in one block of memory.
class TMatrix {
public:
    TMatrix() = default;
    // All values 0; throws std::bad_alloc when the memory cannot be had.
    TMatrix(int columns, int rows) : TMatrix(columns, rows, Uninitialized{})
    {
        std::fill(values_.begin(), values_.end(), std::uint8_t(0));
    }
    // Values left for the caller to write, every one of them.
    TMatrix(int columns, int rows, Uninitialized) : columns_(columns), rows_(rows)
    {
        values_.resize(std::size_t(columns) * std::size_t(rows));
    }
    TMatrix(std::initializer_list<std::initializer_list<std::uint8_t>> columns)
        : TMatrix(int(columns.size()), columns.size() ? int(columns.begin()->size()) : 0)
    {
        std::uint8_t* value = values_.data();
        for (const auto& column : columns)
            for (std::uint8_t v : column)
                *value++ = v;
    }

    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    std::uint8_t* operator[](int x) { return values_.data() + std::size_t(x) * std::size_t(rows_); }
    const std::uint8_t* operator[](int x) const { return values_.data() + std::size_t(x) * std::size_t(rows_); }
    bool operator==(const TMatrix& other) const
    {
        return columns_ == other.columns_ && rows_ == other.rows_ && values_ == other.values_;
    }

private:
    int columns_ = 0;
    int rows_ = 0;
    UninitializedBytes values_;
};

constexpr std::int64_t CellOffset(int x, int y, int height)
{
    return kMapHeaderSize + kMapCellSize * (std::int64_t(x) * height + y);
}
