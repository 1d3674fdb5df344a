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
