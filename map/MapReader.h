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
// The file is read in large blocks, large maps by two threads, and closed
// before returning.

#include "IndexedImage.h"
#include "MapFormat.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>

inline constexpr char kOutOfSystemResources[] = "Out of system resources";

// 16384 x 16384 cells; a loaded map costs about two bytes per cell.
constexpr std::int64_t kMaxMapCells = std::int64_t(1) << 28;

struct MapLoad {
    TMapHeader header;
    TMatrix matrix;        // Width() columns of Height() values
    IndexedImage image;    // empty when W or H is 0
    TMapCell lastCell;     // the cell buffer as the last record left it
    std::int64_t endOfCells = kMapHeaderSize; // offset after the last record
};

std::optional<MapLoad> ReadMapFile(const std::filesystem::path& path);

// Opens a second stream on the same map, for reading half of it on another
// thread; nullptr when none can be had.
using OpenMapStream = std::function<std::unique_ptr<std::istream>()>;

// The same from an open, seekable stream positioned at the start of the map.
MapLoad ReadMap(std::istream& file, const OpenMapStream& openAnother = nullptr);
