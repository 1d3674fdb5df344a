#include "map/MapReader.h"

#include "base/RegularFile.h"
#include "map/CellPainting.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Whole columns are read a block at a time (as many as fit in 128 KiB, at
// least one). Each column's walkability values are worked out as it is read;
// the picture is painted a group of 32 columns at a time, row by row across
// the group. Large maps are read and painted by two threads, each taking half
// the columns through positioned reads of the same open file, and half the
// block.
constexpr std::int64_t kMaxBlockBytes = 128 << 10;
constexpr int kColumnsPerGroup = 32;
// Below some two million cells a load takes a few milliseconds: starting a
// second thread, and two threads slowing each other on a shared machine, cost
// it more CPU time than the thread saves in waiting.
constexpr std::int64_t kCellsWorthASecondThread = 1 << 21;

// Reads up to size bytes at offset, the rest of them zero; returns how many
// the file had.
std::int64_t ReadOrZero(const MapSource& source, std::int64_t offset, std::uint8_t* into, std::int64_t size)
{
    const std::int64_t got = std::clamp<std::int64_t>(source.ReadAt(offset, into, size), 0, size);
    std::fill(into + got, into + size, std::uint8_t(0));
    return got;
}

// An image-only load has no walkability values to write.
bool HasWalkValues(const MapLoad& load)
{
    return load.matrix.Columns() > 0;
}

void PaintCell(MapLoad& load, int x, int y, unsigned kind)
{
    if (HasWalkValues(load))
        load.matrix[x][y] = kWalkValues[kind];
    load.image.SetPixel(x, y, kEntries[kind]);
}

// Paints the pixels of rows [top, bottom) in columns [first, end) from the
// columns' walkability values (walk[0] is column firstWalk's), two pixels a
// byte: a range that starts at an odd column completes the byte its left
// neighbour began; one that ends at an even column begins a byte with a zero
// right half.
void PaintRows(IndexedImage& image, const std::uint8_t* const* walk, int firstWalk, int first, int end, int top, int bottom)
{
    const bool oddStart = first % 2 != 0;
    const bool oddEnd = (end - first - int(oddStart)) % 2 != 0;
    for (int y = top; y < bottom; ++y) {
        std::uint8_t* pair = image.Row(y) + first / 2;
        const std::uint8_t* const* column = walk + (first - firstWalk);
        auto nextEntry = [&] { return kEntryOfWalkValue[(*column++)[y]]; };
        if (oddStart) {
            *pair = std::uint8_t((*pair & 0xF0) | nextEntry());
            ++pair;
        }
        for (int x = first + int(oddStart); x + 1 < end; x += 2) {
            const unsigned left = nextEntry();
            *pair++ = std::uint8_t(left << 4 | nextEntry());
        }
        if (oddEnd)
            *pair = std::uint8_t(nextEntry() << 4);
    }
}

// Paints the picture columns [first, end), at most kColumnsPerGroup of them,
// from their walkability values (walk[0] is column first's).
void PaintGroup(IndexedImage& image, const std::uint8_t* const* walk, int first, int end)
{
    const int tiledEnd = first % 2 == 0 ? first + (end - first) / 16 * 16 : first;
    const int tiledRows = tiledEnd > first ? PaintRowTiles(walk, tiledEnd - first, image.Height(), image, first) : 0;
    PaintRows(image, walk, first, tiledEnd, end, 0, tiledRows);
    PaintRows(image, walk, first, first, end, tiledRows, image.Height());
    // The group with the last column also clears the padding at the row ends.
    if (end == image.Width()) {
        for (int y = 0; y < image.Height(); ++y)
            std::fill(image.Row(y) + (end + 1) / 2, image.Row(y) + image.BytesPerLine(), std::uint8_t(0));
    }
}

std::int64_t ColumnBytes(const MapLoad& load)
{
    return std::int64_t(load.header.Height()) * kMapCellSize;
}

// Reads and paints the whole columns [first, end), through a block of
// blockBytes that holds at least one column, in groups of kColumnsPerGroup
// from first. A picture-only load keeps a group's walkability values in
// scratch (GroupScratchBytes). Bytes the file no longer has (it shrank while
// being read) count as zero.
void PaintWholeColumns(const MapSource& source, MapLoad& load, int first, int end, std::uint8_t* block,
                       std::int64_t blockBytes, std::uint8_t* scratch)
{
    const int height = load.header.Height();
    const std::int64_t columnBytes = ColumnBytes(load);
    const int columnsPerBlock = int(blockBytes / columnBytes);
    const std::uint8_t* walk[kColumnsPerGroup];
    int groupStart = first;
    for (int x = first; x < end;) {
        const int columns = std::min(columnsPerBlock, end - x);
        ReadOrZero(source, CellOffset(x, 0, height), block, columns * columnBytes);
        for (int column = 0; column < columns; ++column, ++x) {
            std::uint8_t* values =
                HasWalkValues(load) ? load.matrix[x] : scratch + std::size_t(x - groupStart) * std::size_t(height);
            WalkValuesOfRecords(block + column * columnBytes, height, values);
            walk[x - groupStart] = values;
            if (x + 1 - groupStart == kColumnsPerGroup || x + 1 == end) {
                PaintGroup(load.image, walk, groupStart, x + 1);
                groupStart = x + 1;
            }
        }
    }
}

std::size_t GroupScratchBytes(const MapLoad& load)
{
    return HasWalkValues(load) ? 0 : std::size_t(kColumnsPerGroup) * std::size_t(load.header.Height());
}

// The calling thread keeps its block from one load to the next: memory
// touched for the first time costs a small map's load more than painting it.
// It holds at least a column for each reading thread, which share it.
UninitializedBytes& CallersColumnBlock(const MapLoad& load, int columns, int threads)
{
    const std::size_t bytes =
        std::size_t(std::clamp<std::int64_t>(kMaxBlockBytes / ColumnBytes(load), threads, columns) * ColumnBytes(load));
    thread_local UninitializedBytes block;
    if (block.size() < bytes) {
        block = UninitializedBytes(); // the old one goes first
        block.resize(bytes); // written by each read before use
    }
    return block;
}

// Paints the first `columns` columns, whose records are all in the file,
// on two threads when asked to and the map is wide enough to split.
void PaintReadableColumns(const MapSource& source, MapLoad& load, int columns, int threads)
{
    if (columns == 0)
        return;
    // The halves meet at the multiple of 128 columns nearest the middle, so
    // that no cache line of an image row is written by both threads.
    const int split = (columns + 128) / 256 * 128;
    const bool twoThreads = threads >= 2 && split > 0 && split < columns;
    UninitializedBytes& block = CallersColumnBlock(load, columns, twoThreads ? 2 : 1);
    // Had here, so that no failure to get it is thrown on the helper's thread.
    UninitializedBytes scratch(GroupScratchBytes(load) * (twoThreads ? 2 : 1));
    if (twoThreads) {
        const std::int64_t half = std::int64_t(block.size()) / ColumnBytes(load) / 2 * ColumnBytes(load);
        try {
            std::thread helper([&] {
                PaintWholeColumns(source, load, split, columns, block.data() + half, half,
                                  scratch.data() + GroupScratchBytes(load));
            });
            PaintWholeColumns(source, load, 0, split, block.data(), half, scratch.data());
            helper.join();
            return;
        } catch (const std::system_error&) {
            // No thread to be had: the same work on this one.
        }
    }
    PaintWholeColumns(source, load, 0, columns, block.data(), std::int64_t(block.size()), scratch.data());
}

void ReadCells(const MapSource& source, MapLoad& load, const ReadingThreads& threads)
{
    const int width = load.header.Width();
    const int height = load.header.Height();
    const std::int64_t cellCount = std::int64_t(width) * height;
    if (cellCount == 0)
        return;
    const std::int64_t available = std::clamp<std::int64_t>(source.Size() - kMapHeaderSize, 0, cellCount * kMapCellSize);
    const std::int64_t wholeRecords = available / kMapCellSize;
    const int wholeColumns = int(wholeRecords / height);
    PaintReadableColumns(source, load, wholeColumns, threads ? threads(cellCount) : 1);

    // The records of the column the file ends in, and the last record read.
    const std::int64_t columnStart = std::int64_t(wholeColumns) * height;
    std::vector<std::uint8_t> tail(std::size_t(available - columnStart * kMapCellSize));
    ReadOrZero(source, kMapHeaderSize + columnStart * kMapCellSize, tail.data(), std::int64_t(tail.size()));
    const int tailRecords = int(wholeRecords - columnStart);
    // The pixels from the first column not read whole on start as zero bits,
    // so that each can be set by itself.
    if (wholeColumns < width) {
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = load.image.Row(y);
            std::fill(row + (wholeColumns + 1) / 2, row + load.image.BytesPerLine(), std::uint8_t(0));
        }
    }
    for (int y = 0; y < tailRecords; ++y)
        PaintCell(load, wholeColumns, y, CellKind(tail.data() + y * kMapCellSize));
    std::uint8_t* cell = load.lastCell.bytes.data();
    if (tailRecords > 0)
        std::memcpy(cell, tail.data() + (tailRecords - 1) * kMapCellSize, kMapCellSize);
    else if (wholeRecords > 0)
        ReadOrZero(source, kMapHeaderSize + (wholeRecords - 1) * kMapCellSize, cell, kMapCellSize);
    if (wholeRecords == cellCount)
        return;

    // A record cut off by the end of the file keeps the tail of the one
    // before it, and it (or the last whole record) repeats to the end, whole
    // columns at a time, so a short file declaring a huge map costs no more
    // than clearing its memory.
    if (const std::int64_t cutBytes = available % kMapCellSize)
        std::memcpy(cell, tail.data() + tailRecords * kMapCellSize, std::size_t(cutBytes));
    const unsigned kind = CellKind(cell);
    for (int y = tailRecords; y < height; ++y)
        PaintCell(load, wholeColumns, y, kind);
    if (HasWalkValues(load))
        std::fill(load.matrix[std::min(wholeColumns + 1, width)], load.matrix[width], kWalkValues[kind]);
    const int firstRepeated = wholeColumns + 1;
    const std::uint8_t repeatedPair = std::uint8_t(kEntries[kind] << 4 | kEntries[kind]);
    for (int y = 0; y < height && firstRepeated < width; ++y) {
        std::uint8_t* row = load.image.Row(y);
        if (firstRepeated % 2)
            load.image.SetPixel(firstRepeated, y, kEntries[kind]);
        std::fill(row + (firstRepeated + 1) / 2, row + width / 2, repeatedPair);
        if (width % 2)
            row[width / 2] = std::uint8_t(kEntries[kind] << 4);
    }
}

void RefuseTooLarge(const TMapHeader& header)
{
    if (std::int64_t(header.Width()) * header.Height() > kMaxMapCells)
        throw std::runtime_error(kOutOfSystemResources);
}

void AllocateMap(MapLoad& load, MapParts parts)
{
    const int width = load.header.Width();
    const int height = load.header.Height();
    RefuseTooLarge(load.header);
    try {
        // Every value and pixel is written by the painting.
        if (parts == MapParts::WalkValuesAndImage)
            load.matrix = TMatrix(width, height, Uninitialized{});
        load.image = IndexedImage(width, height, Uninitialized{});
    } catch (const std::bad_alloc&) {
        throw std::runtime_error(kOutOfSystemResources);
    }
}

class FileSource : public MapSource {
public:
    explicit FileSource(const RegularFile& file) : file_(file) {}
    std::int64_t Size() const override { return file_.Size(); }
    std::int64_t ReadAt(std::int64_t offset, std::uint8_t* into, std::int64_t size) const override
    {
        return file_.ReadAt(offset, into, size);
    }

private:
    const RegularFile& file_;
};

class BytesSource : public MapSource {
public:
    explicit BytesSource(std::string_view bytes) : bytes_(bytes) {}
    std::int64_t Size() const override { return std::int64_t(bytes_.size()); }
    std::int64_t ReadAt(std::int64_t offset, std::uint8_t* into, std::int64_t size) const override
    {
        const std::int64_t got = std::clamp<std::int64_t>(Size() - offset, 0, size);
        if (got > 0)
            std::memcpy(into, bytes_.data() + offset, std::size_t(got));
        return got;
    }

private:
    std::string_view bytes_;
};

} // namespace

int ReadingThreadsFor(std::int64_t cells, const CpuLoad& load)
{
    return cells >= kCellsWorthASecondThread && load.usableProcessors - load.runnableThreads >= 1 ? 2 : 1;
}

int ReadingThreadsNow(std::int64_t cells)
{
    return cells >= kCellsWorthASecondThread ? ReadingThreadsFor(cells, CurrentCpuLoad()) : 1;
}

std::optional<MapLoad> ReadMapFile(const std::filesystem::path& path, const ReadingThreads& threads, MapParts parts)
{
    return ReadMapFileTellingWhyNot(path, threads, parts).map;
}

namespace {

// The cells of a map whose header was read.
MapLoad ReadMapAfterHeader(const MapSource& source, const TMapHeader& header, const ReadingThreads& threads,
                           MapParts parts)
{
    MapLoad load;
    load.header = header;
    AllocateMap(load, parts);
    ReadCells(source, load, threads);
    load.endOfCells = kMapHeaderSize + std::int64_t(header.Width()) * header.Height() * kMapCellSize;
    return load;
}

TMapHeader ReadHeader(const MapSource& source)
{
    TMapHeader header;
    ReadOrZero(source, 0, header.bytes.data(), kMapHeaderSize);
    return header;
}

} // namespace

OpenedMapFile::OpenedMapFile(const std::filesystem::path& path) : file_(path)
{
    if (file_.IsOpen())
        header_ = ReadHeader(FileSource(file_));
}

void OpenedMapFile::RefuseTooLarge() const
{
    ::RefuseTooLarge(header_);
}

MapLoad OpenedMapFile::ReadCells(const ReadingThreads& threads, MapParts parts) const
{
    return ReadMapAfterHeader(FileSource(file_), header_, threads, parts);
}

MapFileRead ReadMapFileTellingWhyNot(const std::filesystem::path& path, const ReadingThreads& threads, MapParts parts)
{
    MapFileRead read;
    const OpenedMapFile file(path);
    if (!file.IsOpen()) {
        read.noRegularFile = file.FoundNoRegularFile();
        read.failure = file.OpenFailure();
        return read;
    }
    read.map = file.ReadCells(threads, parts);
    return read;
}

MapLoad ReadMap(const MapSource& source, const ReadingThreads& threads, MapParts parts)
{
    return ReadMapAfterHeader(source, ReadHeader(source), threads, parts);
}

MapLoad ReadMapBytes(std::string_view file, const ReadingThreads& threads, MapParts parts)
{
    return ReadMap(BytesSource(file), threads, parts);
}
