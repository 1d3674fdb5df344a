#pragma once
// A map's walkability as bits, the form the route search reads: one bit per
// cell, set when the cell can be entered, 64 rows of a column to a word.
// Column -1 and column W are kept too, all blocked, so that a column's
// neighbours can always be read.
//
// Contract: made from the walkability values in one pass, an eighth of a
// byte a cell; at most 65535 x 65535 cells, larger throws
// std::invalid_argument; std::bad_alloc when the memory cannot be had.

#include "MapFormat.h"
#include "Route.h"

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
               (Column(cell.x)[cell.y >> 6] >> (cell.y & 63) & 1);
    }
    // The words of column x, for x from -1 to Columns().
    const std::uint64_t* Column(int x) const { return bits_.data() + std::size_t(x + 1) * std::size_t(words_); }
    std::size_t MemoryBytes() const { return bits_.capacity() * sizeof(std::uint64_t); }

private:
    int columns_;
    int rows_;
    int words_;
    std::vector<std::uint64_t> bits_;
};
