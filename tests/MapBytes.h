#pragma once
// Helpers that build map files byte by byte, and a reader that follows the
// plain road: position, read 12 bytes, paint one cell, with zeroed buffers.

#include "IndexedImage.h"
#include "MapFormat.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

inline std::string MapHeaderBytes(int width, int height)
{
    std::string header(52, '\0');
    header[0] = char(width & 0xFF);
    header[1] = char(width >> 8);
    header[2] = char(height & 0xFF);
    header[3] = char(height >> 8);
    for (int i = 4; i < 52; ++i)
        header[std::size_t(i)] = char(i * 7); // bytes the reader keeps but never looks at
    return header;
}

inline std::string CellBytes(int blockingValue, int flag6 = 0, int flag7 = 0, int noise = 0x55)
{
    std::string cell(12, char(noise));
    cell[1] = char(blockingValue);
    cell[6] = char(flag6);
    cell[7] = char(flag7);
    return cell;
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
            const bool blocked = map.lastCell.BlockingValue() > 100;
            const bool flagged = (map.lastCell.bytes[6] & 0x80) && (map.lastCell.bytes[7] & 0x80);
            map.walk[x][y] = flagged ? kWalkFlagged : blocked ? kWalkBlocked : kWalkOpen;
            map.entry[std::size_t(y)][std::size_t(x)] = flagged ? 12 : blocked ? 9 : 0;
        }
    }
    return map;
}
