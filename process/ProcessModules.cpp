#include "process/ProcessModules.h"

#include <algorithm>
#include <sstream>
#include <unordered_map>
#include <utility>

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

struct Mapping {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    std::string permissions; // "rw-p"; "---p" reserves addresses and holds nothing
    std::string path;        // empty for memory of no file
};

std::vector<Mapping> Mappings(std::string_view maps)
{
    std::vector<Mapping> mappings;
    std::istringstream lines{std::string(maps)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        Mapping mapping;
        char dash = 0;
        std::string offset, device, inode;
        if (!(fields >> std::hex >> mapping.start >> dash >> mapping.end >> mapping.permissions >> offset >> device >> inode))
            continue;
        std::getline(fields >> std::ws, mapping.path);
        mappings.push_back(std::move(mapping));
    }
    return mappings;
}

} // namespace

std::vector<ProcessModule> ModulesFromMaps(std::string_view maps)
{
    std::vector<ProcessModule> modules;
    std::unordered_map<std::string, std::size_t> modulesByPath;
    bool afterAFile = false; // the mapping before was of a file
    for (Mapping& mapping : Mappings(maps)) {
        const bool fileBefore = std::exchange(afterAFile, !mapping.path.empty());
        if (mapping.path.empty()) {
            // The zeroed data right after a module's last mapping belongs to
            // it; not what follows that (Wine keeps a heap after a reserved
            // gap beside its data files), nor a mere reservation.
            if (fileBefore && !modules.empty() && modules.back().base + modules.back().size == mapping.start &&
                mapping.permissions.rfind("---", 0) != 0)
                modules.back().size = mapping.end - modules.back().base;
            continue;
        }
        if (mapping.path.front() != '/') // [heap], [stack], [vdso] and the like
            continue;
        // A program file replaced while it runs is still the module it was.
        constexpr std::string_view kDeleted = " (deleted)";
        if (mapping.path.size() > kDeleted.size() &&
            std::string_view(mapping.path).substr(mapping.path.size() - kDeleted.size()) == kDeleted)
            mapping.path.resize(mapping.path.size() - kDeleted.size());
        const auto [known, isNew] = modulesByPath.try_emplace(mapping.path, modules.size());
        if (!isNew) {
            ProcessModule& module = modules[known->second];
            module.base = std::min(module.base, mapping.start);
            module.size = std::max(module.base + module.size, mapping.end) - module.base;
            continue;
        }
        const std::size_t slash = mapping.path.find_last_of('/');
        modules.push_back({mapping.path.substr(slash + 1), mapping.start, mapping.end - mapping.start});
    }
    std::sort(modules.begin(), modules.end(), [](const ProcessModule& a, const ProcessModule& b) { return a.base < b.base; });
    return modules;
}

const ProcessModule* FindModule(const std::vector<ProcessModule>& modules, std::string_view name)
{
    for (const ProcessModule& module : modules)
        if (SameIgnoringCase(module.name, name))
            return &module;
    return nullptr;
}

const ProcessModule* ModuleAt(const std::vector<ProcessModule>& modules, std::uint64_t address)
{
    const auto after = std::upper_bound(modules.begin(), modules.end(), address,
                                        [](std::uint64_t value, const ProcessModule& module) { return value < module.base; });
    if (after == modules.begin())
        return nullptr;
    const ProcessModule& module = *std::prev(after);
    return address - module.base < module.size ? &module : nullptr;
}
