#pragma once
// A snapshot of the running processes.
//
// Contract: every process the system reports at that moment, in the system's
// order (ascending identifiers on Linux), each with the executable file name
// a user recognises (at most 260 characters) and its identifier. A walk that
// cannot be made gives an empty list; nothing throws.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr std::size_t kMaxProcessNameLength = 260;

struct ProcessEntry {
    std::string exeFile; // bytes in the system's encoding
    std::uint32_t processId = 0;
    // When it started (ProcessStartTime.h), which tells it apart from a later
    // process given the same identifier; none where the system did not say.
    std::optional<std::uint64_t> startTime = std::nullopt;
};

std::vector<ProcessEntry> SnapshotProcesses();

#ifndef _WIN32
#include <filesystem>
// The name of the process whose /proc folder is given: a Windows program under
// Wine by the ".exe" its command line starts with, any other program by its
// executable, and one whose executable cannot be read by the kernel's short
// name. Wine's loader never names a process.
std::string ProcessNameOf(const std::filesystem::path& procFolder);

// UTF-8 bytes cut to at most maxBytes without leaving part of a character at
// the end, also when they came cut already (the kernel's short names are cut
// at 15 bytes wherever that falls).
std::string WholeCharacters(std::string bytes, std::size_t maxBytes);
#endif
