#pragma once
// What the process list tells about one process beyond its name: the
// command line it was started with and the user it runs as. Either is empty
// where the system does not tell it (an ended process, a kernel thread, a
// platform not covered yet). Never throws.

#include <cstdint>
#include <string>

#include <cstddef>

// A longer command line is cut there and ends with "…".
constexpr std::size_t kMaxCommandLineBytes = 4096;

struct ProcessDetails {
    std::string commandLine; // arguments separated by spaces, bytes in the system's encoding
    std::string owner;       // the user's name, or the number where the user has none
};

ProcessDetails DetailsOfProcess(std::uint32_t processId);
