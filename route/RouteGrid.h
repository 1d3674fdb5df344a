#pragma once
// A map's walkability as bits, the form the route search reads: one bit per
// cell, set when the cell can be entered, a square of 8 x 8 cells to a word
// (a tile). Bit 8 * row + column of a tile is its cell (column, row), so a
// byte is a row of 8 cells. A ring of blocked tiles is kept around the map,
// so that a tile's 8 neighbours can always be read. A wave spreading through
// rooms and corridors touches far fewer tiles than it would columns of 64
// cells, and every word it reads holds more of its cells.
//
// Contract: made from the walkability values in one pass, an eighth of a
// byte a cell; at most 65535 x 65535 cells, larger throws
// std::invalid_argument; std::bad_alloc when the memory cannot be had.

#include "map/MapFormat.h"
#include "route/RouteSteps.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Where a tile lies: the tile of cell (x, y) is column x / 8 + 1 and row
// y / 8 + 1; column and row 0 are the ring of blocked tiles.
struct TilePlace {
    std::uint32_t column;
    std::uint32_t row;
};

class RouteGrid {
public:
    explicit RouteGrid(const TMatrix& walk);

    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    bool IsWalkable(Cell cell) const
    {
        return cell.x >= 0 && cell.y >= 0 && cell.x < columns_ && cell.y < rows_ &&
               (bits_[TileIndex(TileOf(cell))] >> BitOf(cell) & 1);
    }

    static TilePlace TileOf(Cell cell) { return {std::uint32_t(cell.x / 8 + 1), std::uint32_t(cell.y / 8 + 1)}; }
    static int BitOf(Cell cell) { return (cell.y & 7) * 8 + (cell.x & 7); }
    static Cell CellOf(TilePlace tile, int bit)
    {
        return {int(tile.column - 1) * 8 + (bit & 7), int(tile.row - 1) * 8 + (bit >> 3)};
    }
    // Where the word of a tile lies among Words(); the tiles of a column of
    // tiles follow one another.
    std::size_t TileIndex(TilePlace tile) const { return std::size_t(tile.column) * tileRows_ + tile.row; }
    const std::uint64_t* Words() const { return bits_.data(); }
    std::size_t WordCount() const { return bits_.size(); }
    std::size_t MemoryBytes() const { return bits_.capacity() * sizeof(std::uint64_t); }

private:
    int columns_;
    int rows_;
    std::size_t tileRows_;
    std::vector<std::uint64_t> bits_;
};

// Bit i set when value i of the (up to 64) values can be entered.
std::uint64_t WalkableBits(const std::uint8_t* values, int count);
