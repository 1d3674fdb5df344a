#pragma once
// A map's walkability as bits, the form the route search reads: one bit per
// cell, set when the cell can be entered, 64 rows of a column to a word.
// Column -1 and column W are kept too, all blocked, so that a column's
// neighbours can always be read. The words lie in tiles of 8 columns side by
// side (the same 64 rows of 8 columns in one place), so that a search going
// across columns finds its next words close by.
//
// Contract: made from the walkability values in one pass, an eighth of a
// byte a cell; at most 65535 x 65535 cells, larger throws
// std::invalid_argument; std::bad_alloc when the memory cannot be had.

#include "map/MapFormat.h"
#include "map/Route.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class RouteGrid {
public:
    explicit RouteGrid(const TMatrix& walk);

    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    int WordsPerColumn() const { return words_; }
    bool IsWalkable(Cell cell) const
    {
        return cell.x >= 0 && cell.y >= 0 && cell.x < columns_ && cell.y < rows_ &&
               (bits_[WordIndex(std::uint32_t(cell.x + 1), std::uint32_t(cell.y >> 6))] >> (cell.y & 63) & 1);
    }

    // Where the word of `word` (rows 64 * word on) of column `paddedColumn`
    // - 1 lies; paddedColumn from 0 (column -1) to Columns() + 1.
    std::size_t WordIndex(std::uint32_t paddedColumn, std::uint32_t word) const
    {
        return ((paddedColumn / kTileColumns) * std::size_t(words_) + word) * kTileColumns + paddedColumn % kTileColumns;
    }
    // The words, as WordIndex() places them, and their number.
    const std::uint64_t* Words() const { return bits_.data(); }
    std::size_t WordCount() const { return bits_.size(); }
    std::size_t MemoryBytes() const { return bits_.capacity() * sizeof(std::uint64_t); }

    static constexpr std::uint32_t kTileColumns = 1;

private:
    int columns_;
    int rows_;
    int words_;
    std::vector<std::uint64_t> bits_;
};

// Bit i set when value i of the (up to 64) values can be entered.
std::uint64_t WalkableBits(const std::uint8_t* values, int count);
