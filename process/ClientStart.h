#pragma once
// Starting the game client from the viewer, so that the viewer may read it
// where the system lets a program read only the programs it started (Linux's
// Yama scope 1).
//
// Contract: the program runs as a child of this process with the arguments
// given, its standard streams those of this process; a ".exe" (any letter
// case) runs through Wine (WineFor) where the system is not Windows. It is never
// ended by the caller: it outlives the viewer if it is still running then.
// On failure the identifier is 0 and `failure` tells why (the program
// missing, not executable, Wine missing). Nothing throws but std::bad_alloc.

#include "process/ProcessList.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct StartedClient {
    std::uint32_t processId = 0;
    std::string failure;
};

StartedClient StartClient(const std::string& program, const std::vector<std::string>& arguments);

// Not on Windows: what runs a Windows program here as a child of the caller,
// "wine" or, for a 64-bit program, 64-bit Wine's own loader where there is
// one (the full path; "wine" hands a 64-bit program to a process of its own
// where Wine's 32-bit part is installed too).
std::string WineFor(const std::string& program);

// True when processId is ancestor or was started by it, directly or through
// other processes; false for processes that have ended.
bool IsDescendantOf(std::uint32_t processId, std::uint32_t ancestor);

// The listed process that is the client started as `started` from the
// program `program`: the first descendant named as the program's file is
// named (letter case ignored; under Wine the Windows program may run in a
// process of its own), else `started` itself; none while neither is listed.
std::optional<std::uint32_t> FindStartedClient(const std::vector<ProcessEntry>& processes, std::uint32_t started,
                                               const std::string& program);
