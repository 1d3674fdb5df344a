#pragma once
// The shortest pointer path from a client's modules to an address, as the
// finder's "Make It Last" finds it, for tests that write tracking files.

#include "process/ProcessModules.h"
#include "track/PathsInClient.h"
#include "track/PointerScan.h"

#include <algorithm>
#include <atomic>
#include <optional>

inline std::optional<PointerPath> ShortestPointerPath(const ProcessReader& reader, std::uint64_t address)
{
    const ModuleList modules = ListModules(reader.ProcessId());
    const std::atomic<bool> never{false};
    const std::vector<PointerPath> paths =
        FindPointerPaths(IndexPointers(reader, modules.pointerWidth, never, {}), modules.modules, address, {}, never);
    return paths.empty() ? std::nullopt : std::optional<PointerPath>(paths.front());
}

// The shortest path found in the first client that leads to each client's
// own address, as one tracking file for several runs of a program needs:
// some paths hold in one run only.
inline std::optional<PointerPath> PointerPathOfEvery(const std::vector<std::pair<std::int32_t, std::uint64_t>>& clients)
{
    const ProcessReader reader(clients.front().first);
    const ModuleList modules = ListModules(reader.ProcessId());
    const std::atomic<bool> never{false};
    for (const PointerPath& path : FindPointerPaths(IndexPointers(reader, modules.pointerWidth, never, {}), modules.modules,
                                                    clients.front().second, {}, never)) {
        if (std::all_of(clients.begin(), clients.end(), [&](const std::pair<std::int32_t, std::uint64_t>& client) {
                return ResolvePointerPathIn(client.first, path).address == client.second;
            }))
            return path;
    }
    return std::nullopt;
}
