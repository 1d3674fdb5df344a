#pragma once
// When a process started: what tells it apart from a later process that is
// given the same identifier once it has ended. In the system's own units
// (Linux: clock ticks since boot; Windows: the creation FILETIME), only ever
// compared for equality.

#include <cstdint>
#include <optional>

// std::nullopt when no process has that identifier (or it cannot be asked).
std::optional<std::uint64_t> ProcessStartTime(std::uint32_t processId);
