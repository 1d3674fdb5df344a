#pragma once
// The map on show: its header and the walkability value of every cell (open,
// blocked or flagged). No widgets. Its picture and its lines of "MapInfo.txt"
// go to whoever shows them: a map costs the values (a byte a cell), the
// picture (half a byte) and the lines once, never a second copy of any.
//
// load() contract:
// - No regular file at the path (missing, a folder, a device): the document
//   becomes empty (no cells); the picture returned is empty and no lines are
//   returned (the lines on show stay); nothing is reported.
// - A map file that cannot be opened, a map of more than kMaxMapCells cells,
//   or a "MapInfo.txt" that cannot be read (also one over 64 MiB, or no
//   regular file): throws std::runtime_error with the text the failure box
//   shows; the document keeps the previous map, and
//   letPreviousGo is not called.
// - Otherwise letPreviousGo is called and the previous map let go before the
//   new one's memory is had; when that memory cannot be had, throws
//   std::runtime_error with kOutOfSystemResources and the document is empty.
// - Otherwise the map replaces the previous one, and the map's picture and
//   its lines (the first 10,000, then a line telling how many more) are
//   returned; a map with W or H 0 has no picture. Paths are kept byte for byte.

#include "map/IndexedImage.h"
#include "map/MapFormat.h"
#include "route/MapRoutes.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

enum class CellState { Open, Blocked, Flagged };

struct LoadedMap {
    IndexedImage picture;
    std::optional<QString> linkText; // the lines, joined by line feeds
};

class MapDocument {
public:
    explicit MapDocument(std::filesystem::path mapInfoPath);

    LoadedMap load(const std::filesystem::path& path, const std::function<void()>& letPreviousGo = {});

    const TMapHeader& header() const { return header_; }
    const TMatrix& walkability() const { return *walkability_; }
    // The same values, for work on another thread that may outlive this map.
    std::shared_ptr<const TMatrix> sharedWalkability() const { return walkability_; }
    // The routes of the map on show, shared by everyone who searches on it;
    // nothing is worked out for them until a search or MapRoutes::Prepare().
    std::shared_ptr<MapRoutes> routes() const { return routes_; }

    // The state of a cell as its picture shows it; none outside the map.
    std::optional<CellState> cellState(int x, int y) const;

private:
    QString readLinkText(const std::filesystem::path& mapPath) const;
    void clearMap();

    std::filesystem::path mapInfoPath_;
    TMapHeader header_;
    std::shared_ptr<const TMatrix> walkability_;
    std::shared_ptr<MapRoutes> routes_;
};
