#pragma once
// The shortest pointer path from a client's modules to an address, as the
// finder's "Make It Last" finds it, for tests that write tracking files.

#include "track/PointerScan.h"
#include "track/ProcessModules.h"

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
