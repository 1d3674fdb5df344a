#pragma once
// Helpers that build map files byte by byte, and a reader that follows the
// plain road: position, read a record, paint one cell, with zeroed buffers.

#include "map/IndexedImage.h"
#include "map/MapFormat.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

inline std::string MapHeaderBytes(int width, int height)
{
    TMapHeader header;
    for (std::size_t i = 4; i < header.bytes.size(); ++i)
        header.bytes[i] = std::uint8_t(i * 7); // bytes the reader keeps but never looks at
    header.SetSize(width, height);
    return std::string(header.bytes.begin(), header.bytes.end());
}

inline std::string CellBytes(int blockingValue, int flag6 = 0, int flag7 = 0, int noise = 0x55)
{
    TMapCell cell;
    cell.bytes.fill(std::uint8_t(noise));
    cell.SetBlockingValue(blockingValue);
    cell.bytes[kFirstFlagByte] = std::uint8_t(flag6);
    cell.bytes[kSecondFlagByte] = std::uint8_t(flag7);
    return std::string(cell.bytes.begin(), cell.bytes.end());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

struct PositionedReadMap {
    TMapHeader header;
    TMatrix walk;
    std::vector<std::vector<std::uint8_t>> entry; // [y][x]
    TMapCell lastCell;
};

// A read at offset delivers the bytes the file has there and leaves the rest
// of the buffer as it was.
template <std::size_t N>
void PositionedRead(const std::string& file, std::int64_t offset, std::array<std::uint8_t, N>& buffer)
{
    const std::int64_t available = std::clamp<std::int64_t>(std::int64_t(file.size()) - offset, 0, N);
    std::memcpy(buffer.data(), file.data() + offset, std::size_t(available));
}

inline PositionedReadMap ReadByPositionedReads(const std::string& file)
{
    PositionedReadMap map;
    PositionedRead(file, 0, map.header.bytes);
    const int width = map.header.Width(), height = map.header.Height();
    map.walk = TMatrix(width, height);
    map.entry.assign(std::size_t(height), std::vector<std::uint8_t>(std::size_t(width)));
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            PositionedRead(file, CellOffset(x, y, height), map.lastCell.bytes);
            const bool blocked = map.lastCell.IsBlocked();
            const bool flagged = map.lastCell.IsFlagged();
            map.walk[x][y] = flagged ? kWalkFlagged : blocked ? kWalkBlocked : kWalkOpen;
            map.entry[std::size_t(y)][std::size_t(x)] = flagged ? kEntryFlagged : blocked ? kEntryBlocked : kEntryOpen;
        }
    }
    return map;
}

// A map file drawn as rows of text, all of one length: '.' an open cell,
// '#' a blocked one, 'f' a flagged one that blocks.
inline std::string MapFromRows(const std::vector<std::string>& rows)
{
    const int height = int(rows.size());
    const int width = rows.empty() ? 0 : int(rows.front().size());
    std::string bytes = MapHeaderBytes(width, height);
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            const char cell = rows[std::size_t(y)][std::size_t(x)];
            bytes += cell == 'f' ? CellBytes(200, 0x80, 0x80) : CellBytes(cell == '#' ? 200 : 0);
        }
    }
    return bytes;
}

// Rows for MapFromRows: walls of a few rooms, each with a gap, and loose
// rubble on about a sixth of the other cells; the same rows for the same seed.
inline std::vector<std::string> RoomsAndRubble(int width, int height, unsigned seed)
{
    std::vector<std::string> rows(std::size_t(height), std::string(std::size_t(width), '.'));
    unsigned state = seed * 2654435761u + 1;
    auto next = [&state](unsigned below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    };
    for (int room = 0; room < width * height / 400; ++room) {
        const int left = int(next(unsigned(width))), top = int(next(unsigned(height)));
        const int right = std::min(width - 1, left + 4 + int(next(12))), bottom = std::min(height - 1, top + 4 + int(next(12)));
        for (int x = left; x <= right; ++x)
            rows[std::size_t(top)][std::size_t(x)] = rows[std::size_t(bottom)][std::size_t(x)] = '#';
        for (int y = top; y <= bottom; ++y)
            rows[std::size_t(y)][std::size_t(left)] = rows[std::size_t(y)][std::size_t(right)] = '#';
        rows[std::size_t(bottom)][std::size_t((left + right) / 2)] = '.';
    }
    for (std::string& row : rows)
        for (char& cell : row)
            if (cell == '.' && next(6) == 0)
                cell = '#';
    return rows;
}
