#pragma once
// What one tracker tick works out: the address typed by the user, and the
// player's position read there.

#include "process/ProcessMemory.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The address as typed: hexadecimal digits (either case) and nothing else,
// at most 8 significant ones, leading zeros allowed (the text with "$" in
// front read as a hexadecimal integer). std::nullopt when invalid.
std::optional<std::uint32_t> ParseHexAddress(std::string_view typed);

// "'%s' is not a valid integer value"
std::string NotAValidInteger(std::string_view text);

// The player's position: x at the address, y two bytes further on, each an
// unsigned 16-bit little-endian value that counts as 0 when its read fails.
struct PlayerPosition {
    int x = 0;
    int y = 0;
};
PlayerPosition ReadPlayerPosition(const ProcessMemory& memory, std::uint32_t address);

// The same in the process that started at startTime (ProcessStartTime.h):
// 0:0 once it has ended, also when its identifier now names another process.
PlayerPosition ReadPlayerPosition(std::int32_t processId, std::uint64_t startTime, std::uint32_t address);
