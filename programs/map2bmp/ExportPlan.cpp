#include "programs/map2bmp/ExportPlan.h"

#include "map/MapFormat.h"
#include "qtfiles/BitmapFile.h"
#include "qtfiles/FileNames.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

std::string LowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : char(c); });
    return text;
}

namespace {

bool IsHidden(const fs::path& name)
{
    const std::string bytes = name.string();
    return !bytes.empty() && bytes[0] == '.';
}

// The .map files of a folder, sorted by name regardless of letter case.
void AddFolderMaps(const fs::path& folder, std::vector<fs::path>& maps, std::vector<Refusal>& refusals)
{
    const FolderListing listing = ListFolder(folder);
    if (!listing.read) {
        refusals.push_back({folder, QStringLiteral("cannot read the folder: %1").arg(listing.failure)});
        return;
    }
    std::vector<fs::path> found;
    for (const FolderEntry& entry : listing.entries)
        if (!entry.isFolder && !IsHidden(entry.name) && HasMapExtension(entry.name))
            found.push_back(entry.name);
    if (found.empty())
        refusals.push_back({folder, QStringLiteral("no .map files in the folder")});
    std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
        const std::string lowerA = LowerAscii(a.string()), lowerB = LowerAscii(b.string());
        return lowerA != lowerB ? lowerA < lowerB : a < b;
    });
    for (const fs::path& name : found)
        maps.push_back(folder / name);
}

// One spelling per file: links and "." or ".." resolved as far as the path exists.
fs::path Resolved(const fs::path& path)
{
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(path, error);
    return error ? fs::absolute(path, error).lexically_normal() : resolved;
}

// Resolved(), with each folder resolved once: a name in a folder already
// resolved is that folder and the name, unless the name is a link. Resolving
// each path from its root took a few system calls per folder on the way, and
// the exporter's planning longer than its start.
class Resolver {
public:
    fs::path operator()(const fs::path& path)
    {
        const fs::path name = path.filename();
        if (name.empty() || name == "." || name == "..")
            return Resolved(path);
        const auto [folder, isNew] = folders_.try_emplace(path.parent_path());
        if (isNew)
            folder->second = Resolved(path.has_parent_path() ? path.parent_path() : fs::path("."));
        std::error_code error;
        return fs::is_symlink(fs::symlink_status(path, error)) ? Resolved(path) : folder->second / name;
    }

private:
    std::map<fs::path, fs::path> folders_; // as named -> resolved
};

// A map named twice (also through another path) is converted once; a link
// of another name to a map is a map of that name, converted too.
std::vector<fs::path> WithoutRepeats(const std::vector<fs::path>& maps, Resolver& resolved)
{
    std::vector<fs::path> once;
    std::set<std::pair<fs::path, fs::path>> seen; // the file, and the name it is converted under
    for (const fs::path& map : maps)
        if (seen.insert({resolved(map), map.filename()}).second)
            once.push_back(map);
    return once;
}

} // namespace

ExportPlan PlanExport(const std::vector<fs::path>& named, const fs::path& outputFolder)
{
    ExportPlan plan;
    std::vector<fs::path> maps;
    for (const fs::path& name : named) {
        std::error_code error;
        if (fs::is_directory(name, error))
            AddFolderMaps(name, maps, plan.refusals);
        else if (HasMapExtension(name))
            maps.push_back(name);
        else
            plan.refusals.push_back({name, QStringLiteral("not a .map file; not read")});
    }
    Resolver resolved;
    maps = WithoutRepeats(maps, resolved);
    std::map<fs::path, fs::path> namedFiles; // resolved -> as named
    for (const fs::path& name : named)
        namedFiles.emplace(resolved(name), name);

    std::map<std::string, std::vector<std::size_t>> byPicture;
    std::vector<Conversion> candidates;
    for (const fs::path& map : maps) {
        byPicture[OutputKey(outputFolder / BmpPathFor(map.filename()))].push_back(candidates.size());
        candidates.push_back({map, outputFolder / BmpPathFor(map.filename())});
    }
    for (std::size_t index = 0; index < candidates.size(); ++index) {
        const Conversion& candidate = candidates[index];
        const std::vector<std::size_t>& sharing = byPicture[OutputKey(candidate.picture)];
        if (sharing.size() > 1) {
            const Conversion& other = candidates[sharing[sharing[0] == index ? 1 : 0]];
            plan.refusals.push_back({candidate.map, QStringLiteral("its picture %1 would also be the picture of %2; neither is written")
                                                        .arg(ShownFileName(candidate.picture), ShownFileName(other.map))});
            continue;
        }
        const auto replaced = namedFiles.find(resolved(candidate.picture));
        if (replaced != namedFiles.end()) {
            plan.refusals.push_back({candidate.map, QStringLiteral("its picture would replace %1, which was named as an input; not written")
                                                        .arg(ShownFileName(replaced->second))});
            continue;
        }
        plan.conversions.push_back(candidate);
    }
    return plan;
}
