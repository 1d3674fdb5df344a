#pragma once
// The maps of one folder as far as telling where the player is needs them:
// each map's size from its header, and whether a player can stand on a cell,
// from a positioned read of that one cell's record. A map file is never read
// whole here.
//
// Contract:
// - The maps are the regular files directly in the folder whose names end in
//   ".map" (any letter case), hidden ones (a leading dot) left out, as the
//   file list shows them; names are the system's bytes, relative to the folder.
// - Standable(name, x, y) answers as a whole read of the map file would
//   (MapReader.h): a cell inside the map that is open or flagged. A file cut
//   short answers as the reader fills it in; a cell outside the map, a map of
//   no cells or of more than kMaxMapCells, a name not in the atlas or a file
//   that cannot be opened answer false.
// - Refresh() looks at the folder again and tells which maps appeared, went
//   or changed (size or time of the last write).
// - Nothing throws for a file: what cannot be read is left out. A folder that
//   cannot be listed throws std::runtime_error with the system's text.
// The atlas is not shared between threads; several atlases may be.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct AtlasMap {
    std::filesystem::path name; // the file's name in the folder
    int width = 0;
    int height = 0;
    std::int64_t fileSize = 0;
    std::filesystem::file_time_type written;
};

struct AtlasChanges {
    std::vector<std::filesystem::path> appeared;
    std::vector<std::filesystem::path> gone;
    std::vector<std::filesystem::path> changed;
    bool IsEmpty() const { return appeared.empty() && gone.empty() && changed.empty(); }
};

class MapAtlas {
public:
    MapAtlas() = default;
    explicit MapAtlas(std::filesystem::path folder);

    const std::filesystem::path& Folder() const { return folder_; }
    // Sorted by name's bytes.
    const std::vector<AtlasMap>& Maps() const { return maps_; }
    const AtlasMap* Find(const std::filesystem::path& name) const;

    bool Standable(const AtlasMap& map, int x, int y) const;
    bool Standable(const std::filesystem::path& name, int x, int y) const;

    AtlasChanges Refresh();

private:
    std::filesystem::path folder_;
    std::vector<AtlasMap> maps_;
};

