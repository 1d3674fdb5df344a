#include "MapReader.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

constexpr std::int64_t kRecordsPerBlock = 1 << 16; // 768 KiB a read

// Reads up to size bytes; returns how many the file still had.
std::int64_t ReadUpTo(std::istream& file, std::uint8_t* into, std::int64_t size)
{
    file.read(reinterpret_cast<char*>(into), std::streamsize(size));
    return file.gcount();
}

// Walks the cells in file order (column by column) and paints each.
class CellPainter {
public:
    explicit CellPainter(MapLoad& load) : load_(load), height_(load.header.Height()) {}

    void Paint(const TMapCell& cell)
    {
        const bool blocked = cell.IsBlocked();
        load_.matrix[std::size_t(x_)][std::size_t(y_)] = blocked ? kWalkBlocked : kWalkOpen;
        load_.image.SetPixel(x_, y_, cell.IsFlagged() ? kEntryFlagged
                                     : blocked        ? kEntryBlocked
                                                      : kEntryOpen);
        if (++y_ == height_) {
            y_ = 0;
            ++x_;
        }
    }

private:
    MapLoad& load_;
    int height_;
    int x_ = 0;
    int y_ = 0;
};

void ReadCells(std::istream& file, MapLoad& load)
{
    const std::int64_t cellCount = std::int64_t(load.header.Width()) * load.header.Height();
    std::vector<std::uint8_t> block(std::size_t(std::min(cellCount, kRecordsPerBlock) * kMapCellSize));
    CellPainter painter(load);
    TMapCell& cell = load.lastCell;
    std::int64_t painted = 0;
    while (painted < cellCount) {
        const std::int64_t wanted = std::min(cellCount - painted, kRecordsPerBlock) * kMapCellSize;
        const std::int64_t got = ReadUpTo(file, block.data(), wanted);
        const std::int64_t whole = got / kMapCellSize;
        for (std::int64_t i = 0; i < whole; ++i) {
            std::memcpy(cell.bytes.data(), block.data() + i * kMapCellSize, kMapCellSize);
            painter.Paint(cell);
        }
        painted += whole;
        if (got == wanted)
            continue;
        // The end of the file: a cut-off record keeps the tail of the one
        // before it, and it (or the last whole record) repeats to the end.
        std::memcpy(cell.bytes.data(), block.data() + whole * kMapCellSize, std::size_t(got % kMapCellSize));
        for (; painted < cellCount; ++painted)
            painter.Paint(cell);
    }
    load.endOfCells = kMapHeaderSize + cellCount * kMapCellSize;
}

void AllocateMap(MapLoad& load)
{
    const int width = load.header.Width();
    const int height = load.header.Height();
    if (std::int64_t(width) * height > kMaxMapCells)
        throw std::runtime_error(kOutOfSystemResources);
    try {
        load.matrix.assign(std::size_t(width), std::vector<std::uint8_t>(std::size_t(height)));
        load.image = IndexedImage(width, height);
    } catch (const std::bad_alloc&) {
        throw std::runtime_error(kOutOfSystemResources);
    }
}

} // namespace

std::optional<MapLoad> ReadMapFile(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;

    MapLoad load;
    ReadUpTo(file, load.header.bytes.data(), kMapHeaderSize);
    AllocateMap(load);
    ReadCells(file, load);
    return load;
}
