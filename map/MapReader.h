#pragma once
// Reads a map file into its walkability matrix and its 16-colour image.
//
// Contract:
// - No regular file at the path (missing, a directory, a device), or a file
//   that cannot be opened for reading: returns std::nullopt, nothing else.
// - A file shorter than its header declares is no error. Every read starts
//   with zeroed header and cell buffers; header bytes past the end stay zero,
//   a record cut off by the end of the file takes its missing bytes from the
//   record before it, and every record that starts at or past the end repeats
//   the last record read (all zeros if none was). Bytes after the last record
//   are never read.
// - A map of more than kMaxMapCells cells, or one whose memory cannot be had,
//   throws std::runtime_error with kOutOfSystemResources, before the cells are
//   read.
// - The file is opened once, without waiting, and read only when the open
//   file is a regular one (a FIFO or device swapped in for the file gives
//   std::nullopt at once); both reading threads share that one open file.
// The file is read in large blocks, large maps by two threads when a
// processor is free for the second, and closed before returning.

#include "map/IndexedImage.h"
#include "map/MapFormat.h"

#include "base/CpuLoad.h"
#include "base/RegularFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

inline constexpr char kOutOfSystemResources[] = "Out of system resources";

// 16384 x 16384 cells; a loaded map costs a byte and a half per cell.
constexpr std::int64_t kMaxMapCells = std::int64_t(1) << 28;

struct MapLoad {
    TMapHeader header;
    TMatrix matrix;        // Width() columns of Height() values; none in a picture-only load
    IndexedImage image;    // empty when W or H is 0
    TMapCell lastCell;     // the cell buffer as the last record left it
    std::int64_t endOfCells = kMapHeaderSize; // offset after the last record
};

// How many threads read the cells of a map of that many cells: 1 or 2.
using ReadingThreads = std::function<int(std::int64_t cells)>;

// Two when the map is large enough to pay for a second thread and a
// processor is free for it (the load taken only for such maps), else one.
int ReadingThreadsFor(std::int64_t cells, const CpuLoad& load);
int ReadingThreadsNow(std::int64_t cells);

// What a load keeps: a picture-only load (as a converter to pictures needs)
// leaves the matrix empty and costs half a byte per cell instead of one and a half.
enum class MapParts { WalkValuesAndImage, ImageOnly };

std::optional<MapLoad> ReadMapFile(const std::filesystem::path& path,
                                   const ReadingThreads& threads = ReadingThreadsNow,
                                   MapParts parts = MapParts::WalkValuesAndImage);

// The same, telling why there is no map: either no regular file is at the
// path (none at all, a folder, a device, a FIFO), or the file is there but
// cannot be opened, and failure holds the system's text for the error
// ("Permission denied") for "Cannot open file "%s". %s".
struct MapFileRead {
    std::optional<MapLoad> map;
    bool noRegularFile = false;
    std::string failure;
};
MapFileRead ReadMapFileTellingWhyNot(const std::filesystem::path& path,
                                     const ReadingThreads& threads = ReadingThreadsNow,
                                     MapParts parts = MapParts::WalkValuesAndImage);

// The same read in two halves, for a caller with work in between: the file
// opened and its header read, then the cells. A viewer reads the map's links
// and lets its previous map go in between, so that two large maps are never
// held at once. The file stays open from the first half to the second.
class OpenedMapFile {
public:
    explicit OpenedMapFile(const std::filesystem::path& path);

    bool IsOpen() const { return file_.IsOpen(); }
    bool FoundNoRegularFile() const { return file_.FoundNoRegularFile(); }
    const std::string& OpenFailure() const { return file_.OpenFailure(); }
    const TMapHeader& Header() const { return header_; }

    // Throws std::runtime_error with kOutOfSystemResources for a map of more
    // than kMaxMapCells cells, before any of its memory is had.
    void RefuseTooLarge() const;
    // The cells; the file must be open.
    MapLoad ReadCells(const ReadingThreads& threads = ReadingThreadsNow,
                      MapParts parts = MapParts::WalkValuesAndImage) const;

private:
    RegularFile file_;
    TMapHeader header_;
};

// Where the cells come from: the size, and positioned reads that deliver the
// bytes there (fewer at the end) and may run on two threads at once.
class MapSource {
public:
    virtual ~MapSource() = default;
    virtual std::int64_t Size() const = 0;
    virtual std::int64_t ReadAt(std::int64_t offset, std::uint8_t* into, std::int64_t size) const = 0;
};

MapLoad ReadMap(const MapSource& source, const ReadingThreads& threads = ReadingThreadsNow,
                MapParts parts = MapParts::WalkValuesAndImage);

// The same from the bytes of a whole map file in memory.
MapLoad ReadMapBytes(std::string_view file, const ReadingThreads& threads = ReadingThreadsNow,
                     MapParts parts = MapParts::WalkValuesAndImage);
