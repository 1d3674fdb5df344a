#pragma once
// The program image and the libraries a process has mapped, with their
// base addresses and sizes, and the width of its pointers: what a pointer
// path starts from (PointerPath.h).
//
// Contract: reads only what the system tells of the process; never attaches
// to it. Nothing throws but std::bad_alloc.
// - Linux: from /proc/PID/maps. Each mapped file is a module named by its
//   file name (a Windows client's "Client.exe" and its DLLs as Wine maps
//   them), from its first mapping to its last, with the one nameless
//   mapping right after it that is more than a reservation (its zeroed
//   data). The pointer width comes from the class
//   of /proc/PID/exe (4 for a 32-bit program, Wine's 32-bit loader too).
// - Windows: the system's module list, 32-bit modules of a 32-bit process
//   seen from the 64-bit viewer too; 4 bytes for a 32-bit process.
// - failure is empty when the modules could be listed; otherwise it tells
//   why not and modules is empty.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ProcessModule {
    std::string name; // the file name only, as the system spells it
    std::uint64_t base = 0;
    std::uint64_t size = 0;
};

struct ModuleList {
    std::vector<ProcessModule> modules; // ascending by base
    unsigned pointerWidth = 8;          // bytes: 4 or 8
    std::string failure;
};
ModuleList ListModules(std::int32_t processId);

// The modules a /proc/PID/maps text tells of.
std::vector<ProcessModule> ModulesFromMaps(std::string_view maps);

// The first module of that name, letter case of A-Z aside; null when none.
const ProcessModule* FindModule(const std::vector<ProcessModule>& modules, std::string_view name);
// The module whose range holds the address (modules ascending by base, as
// ListModules gives them); null when none.
const ProcessModule* ModuleAt(const std::vector<ProcessModule>& modules, std::uint64_t address);
