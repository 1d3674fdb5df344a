#pragma once
// The inner loops of a map load: cell records into walkability values, and
// walkability values into picture rows. They use SSE2 where the compiler
// targets it (every x86-64 processor has it) and plain loops for what is left
// over and everywhere else; both give the same bytes.

#include "map/IndexedImage.h"
#include "map/MapFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>

// What a cell looks like, by whether it is blocked (bit 0) and flagged (bit 1).
inline unsigned CellKind(const std::uint8_t* record)
{
    return unsigned(record[kBlockingByte] > kBlockedAbove) |
           unsigned((record[kFirstFlagByte] & record[kSecondFlagByte] & kFlagBit) != 0) << 1;
}
constexpr std::uint8_t kWalkValues[4] = {kWalkOpen, kWalkBlocked, kWalkFlagged, kWalkFlagged};
constexpr std::uint8_t kEntries[4] = {kEntryOpen, kEntryBlocked, kEntryFlagged, kEntryFlagged};

// The walkability values of `count` consecutive records.
void WalkValuesOfRecords(const std::uint8_t* records, int count, std::uint8_t* walk);

// The picture entry of a walkability value.
constexpr std::array<std::uint8_t, 256> kEntryOfWalkValue = [] {
    std::array<std::uint8_t, 256> entries{};
    entries[kWalkBlocked] = kEntryBlocked;
    entries[kWalkFlagged] = kEntryFlagged;
    return entries;
}();

// Paints the picture columns [column, column + columns / 16 * 16), column
// even, from each one's walkability values (walk[0] is column's), 16 rows
// by 16 columns at a time, as many rows of [0, rows) as it can; returns how
// many rows it painted: the caller paints the rest, and the columns left over.
int PaintRowTiles(const std::uint8_t* const* walk, int columns, int rows, IndexedImage& image, int column);
