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
    explicit CellPainter(MapLoad& load)
        : load_(load), width_(load.header.Width()), height_(load.header.Height()) {}

    void Paint(const TMapCell& cell)
    {
        load_.matrix[std::size_t(x_)][std::size_t(y_)] = WalkValue(cell);
        load_.image.SetPixel(x_, y_, Entry(cell));
        if (++y_ == height_) {
            y_ = 0;
            ++x_;
        }
    }

    // Paints every cell not painted yet with the same record, whole columns
    // at a time, so a short file declaring a huge map costs no more than
    // clearing its memory.
    void PaintRest(const TMapCell& cell)
    {
        while (y_ != 0)
            Paint(cell);
        if (x_ == width_)
            return;
        for (int x = x_; x < width_; ++x)
            std::fill(load_.matrix[std::size_t(x)].begin(), load_.matrix[std::size_t(x)].end(), WalkValue(cell));
        std::uint8_t* row = load_.image.Bytes().data();
        for (int y = 0; y < height_; ++y, row += load_.image.BytesPerLine())
            std::fill(row + x_, row + width_, Entry(cell));
        x_ = width_;
    }

private:
    static std::uint8_t WalkValue(const TMapCell& cell) { return cell.IsBlocked() ? kWalkBlocked : kWalkOpen; }
    static std::uint8_t Entry(const TMapCell& cell)
    {
        return cell.IsFlagged() ? kEntryFlagged : cell.IsBlocked() ? kEntryBlocked : kEntryOpen;
    }

    MapLoad& load_;
    int width_;
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
        painter.PaintRest(cell);
        break;
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
