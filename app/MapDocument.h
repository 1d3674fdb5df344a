#pragma once
// The map on show: its header, the walkability value of every cell (open or
// blocked; flagged cells are open), the unmarked picture and its lines of
// "MapInfo.txt". No widgets.
//
// load() contract:
// - No regular file at the path (missing, a folder, a device): the document
//   becomes empty (no picture, no cells) and keeps its lines; nothing is
//   reported.
// - A map file that cannot be opened, a map too large to hold, or a
//   "MapInfo.txt" that cannot be read (also one over 64 MiB, or no regular
//   file): throws std::runtime_error with the text the failure box shows; the
//   document keeps the previous map and lines.
// - Otherwise the map and its lines (the first 10,000, then a line telling
//   how many more) replace the previous ones; a map with W or H 0 has no
//   picture. Paths are kept byte for byte.
// - Otherwise the map and its lines replace the previous ones; a map with W
//   or H 0 has no picture.

#include "MapFormat.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>

enum class CellState { Open, Blocked, Flagged };

class MapDocument {
public:
    explicit MapDocument(std::filesystem::path mapInfoPath);

    void load(const std::filesystem::path& path);

    const std::filesystem::path& mapInfoPath() const { return mapInfoPath_; }
    const TMapHeader& header() const { return header_; }
    const TMatrix& walkability() const { return walkability_; }
    const QImage& picture() const { return picture_; }
    const QStringList& linkLines() const { return linkLines_; }

    // The state of a cell as the picture shows it; none outside the map.
    std::optional<CellState> cellState(int x, int y) const;

private:
    QStringList readLinkLines(const std::filesystem::path& mapPath) const;

    std::filesystem::path mapInfoPath_;
    TMapHeader header_;
    TMatrix walkability_;
    QImage picture_;
    QStringList linkLines_;
};
