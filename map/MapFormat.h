#pragma once
// The two records a map file is made of, and the walkability matrix.
//
// A map file is a 52-byte header followed by W x H cell records of 12 bytes,
// column by column (the row index runs fastest), so the record of cell (x, y)
// starts at 52 + 12 * (x * H + y). Bytes after the last record are never read.
// The header starts with W and H, two bytes each, low byte first; the rest is
// kept but never looked at. Of a cell record the viewer reads byte 1, the
// blocking value (blocked above 100), and bit 7 of bytes 6 and 7, the flag
// (flagged only when set in both). This is the one description of the
// format: the reader, the painter, the tests, the fuzzers, the sample maps
// and the benchmarks all build and read maps through it.

#include "base/UninitializedBytes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <new>
#include <utility>
#include <vector>

constexpr std::int64_t kMapHeaderSize = 52;
constexpr std::int64_t kMapCellSize = 12;

// Where a cell record keeps what the viewer reads.
constexpr int kBlockingByte = 1;
constexpr int kBlockedAbove = 100;
constexpr int kFirstFlagByte = 6;
constexpr int kSecondFlagByte = 7;
constexpr std::uint8_t kFlagBit = 0x80;

struct TMapHeader {
    std::array<std::uint8_t, kMapHeaderSize> bytes{};

    // Both are unsigned: FF FF is 65535.
    int Width() const { return bytes[0] | bytes[1] << 8; }
    int Height() const { return bytes[2] | bytes[3] << 8; }
    void SetSize(int width, int height)
    {
        bytes[0] = std::uint8_t(width);
        bytes[1] = std::uint8_t(width >> 8);
        bytes[2] = std::uint8_t(height);
        bytes[3] = std::uint8_t(height >> 8);
    }
};

struct TMapCell {
    std::array<std::uint8_t, kMapCellSize> bytes{};

    int BlockingValue() const { return bytes[kBlockingByte]; }
    bool IsBlocked() const { return BlockingValue() > kBlockedAbove; }
    bool IsFlagged() const { return (bytes[kFirstFlagByte] & bytes[kSecondFlagByte] & kFlagBit) != 0; }
    void SetBlockingValue(int value) { bytes[kBlockingByte] = std::uint8_t(value); }
    // Sets or clears the flag bit in both flag bytes.
    void SetFlagged(bool flagged)
    {
        for (const int at : {kFirstFlagByte, kSecondFlagByte})
            bytes[std::size_t(at)] = std::uint8_t(flagged ? bytes[std::size_t(at)] | kFlagBit : bytes[std::size_t(at)] & ~kFlagBit);
    }
};

// The walkability value of a cell: blocked (shown red), flagged (shown blue,
// walkable whether it blocks or not) or open.
constexpr std::uint8_t kWalkOpen = 0;
constexpr std::uint8_t kWalkBlocked = 220;
constexpr std::uint8_t kWalkFlagged = 1;

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

// A file name that ends in ".map", in any letter case, after at least one
// other character: the files the viewer lists and opens.
inline bool HasMapExtension(const std::filesystem::path& name)
{
    const std::filesystem::path fileName = name.filename();
    const auto& text = fileName.native();
    if (text.size() < 5)
        return false;
    auto lower = [](auto c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    const std::size_t dot = text.size() - 4;
    return text[dot] == '.' && lower(text[dot + 1]) == 'm' && lower(text[dot + 2]) == 'a' && lower(text[dot + 3]) == 'p';
}

constexpr std::int64_t CellOffset(int x, int y, int height)
{
    return kMapHeaderSize + kMapCellSize * (std::int64_t(x) * height + y);
}
