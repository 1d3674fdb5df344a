#include "atlas/MapAtlas.h"

#include "base/RegularFile.h"
#include "map/CellPainting.h"
#include "map/MapFormat.h"
#include "map/MapReader.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace {

bool IsListedMap(const std::filesystem::directory_entry& entry)
{
    const std::filesystem::path name = entry.path().filename();
    std::error_code error;
    return HasMapExtension(name) && name.native().front() != '.' && entry.is_regular_file(error);
}

// The size from the header as the reader sees it: bytes past the end count 0.
void ReadSize(const RegularFile& file, AtlasMap& map)
{
    TMapHeader header;
    file.ReadAt(0, header.bytes.data(), 4);
    map.width = header.Width();
    map.height = header.Height();
}

std::vector<AtlasMap> ListMaps(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error)
        throw std::runtime_error(error.message());
    std::vector<AtlasMap> maps;
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        if (!IsListedMap(*entries))
            continue;
        AtlasMap map;
        map.name = entries->path().filename();
        map.fileSize = std::int64_t(entries->file_size(error));
        map.written = entries->last_write_time(error);
        if (!error)
            maps.push_back(std::move(map));
        error.clear();
    }
    if (error)
        throw std::runtime_error(error.message());
    std::sort(maps.begin(), maps.end(), [](const AtlasMap& a, const AtlasMap& b) { return a.name.native() < b.name.native(); });
    return maps;
}

bool ReadSizeOf(const std::filesystem::path& folder, AtlasMap& map)
{
    const RegularFile file(folder / map.name);
    if (!file.IsOpen())
        return false;
    ReadSize(file, map);
    return true;
}

// The record of a cell as a whole read fills it in: a record cut short by
// the end of the file keeps the rest of the record before it, and records
// past the end repeat the last one that starts before it.
TMapCell RecordOf(const RegularFile& file, std::int64_t index)
{
    TMapCell cell;
    const std::int64_t size = file.Size();
    const std::int64_t start = kMapHeaderSize + kMapCellSize * index;
    if (start + kMapCellSize <= size) {
        file.ReadAt(start, cell.bytes.data(), kMapCellSize);
        return cell;
    }
    if (size <= kMapHeaderSize)
        return cell;
    const std::int64_t last = (size - kMapHeaderSize - 1) / kMapCellSize;
    const std::int64_t lastStart = kMapHeaderSize + kMapCellSize * last;
    if (last > 0)
        file.ReadAt(lastStart - kMapCellSize, cell.bytes.data(), kMapCellSize);
    file.ReadAt(lastStart, cell.bytes.data(), std::min<std::int64_t>(kMapCellSize, size - lastStart));
    return cell;
}

bool StandableIn(const RegularFile& file, int width, int height, int x, int y)
{
    if (x < 0 || y < 0 || x >= width || y >= height || std::int64_t(width) * height > kMaxMapCells || !file.IsOpen())
        return false;
    const TMapCell cell = RecordOf(file, std::int64_t(x) * height + y);
    return kWalkValues[CellKind(cell.bytes.data())] != kWalkBlocked;
}

} // namespace

MapAtlas::MapAtlas(std::filesystem::path folder) : folder_(std::move(folder))
{
    for (AtlasMap& map : ListMaps(folder_))
        if (ReadSizeOf(folder_, map))
            maps_.push_back(std::move(map));
}

const AtlasMap* MapAtlas::Find(const std::filesystem::path& name) const
{
    const auto at = std::lower_bound(maps_.begin(), maps_.end(), name,
                                     [](const AtlasMap& map, const std::filesystem::path& n) { return map.name.native() < n.native(); });
    return at != maps_.end() && at->name == name ? &*at : nullptr;
}

bool MapAtlas::Standable(const AtlasMap& map, int x, int y) const
{
    if (x < 0 || y < 0 || x >= map.width || y >= map.height)
        return false; // not worth opening the file
    return StandableIn(RegularFile(folder_ / map.name), map.width, map.height, x, y);
}

bool MapAtlas::Standable(const std::filesystem::path& name, int x, int y) const
{
    const AtlasMap* map = Find(name);
    return map && Standable(*map, x, y);
}

AtlasChanges MapAtlas::Refresh()
{
    std::vector<AtlasMap> now = ListMaps(folder_);
    AtlasChanges changes;
    std::vector<AtlasMap> kept;
    auto before = maps_.begin();
    for (AtlasMap& map : now) {
        for (; before != maps_.end() && before->name.native() < map.name.native(); ++before)
            changes.gone.push_back(before->name);
        const bool known = before != maps_.end() && before->name == map.name;
        const bool same = known && before->fileSize == map.fileSize && before->written == map.written;
        if (same) {
            kept.push_back(*before);
        } else if (ReadSizeOf(folder_, map)) {
            (known ? changes.changed : changes.appeared).push_back(map.name);
            kept.push_back(std::move(map));
        } else if (known) {
            changes.gone.push_back(map.name);
        }
        if (known)
            ++before;
    }
    for (; before != maps_.end(); ++before)
        changes.gone.push_back(before->name);
    maps_ = std::move(kept);
    return changes;
}

