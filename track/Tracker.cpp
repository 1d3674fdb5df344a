#include "track/Tracker.h"

#include <charconv>

// from_chars takes no prefix, sign or blank for an unsigned number and
// refuses values past 32 bits, as the address rule asks.
std::optional<std::uint32_t> ParseHexAddress(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

std::string NotAValidInteger(std::string_view text)
{
    return "'" + std::string(text) + "' is not a valid integer value";
}

PlayerPosition ReadPlayerPosition(const ProcessMemory& memory, std::uint32_t address)
{
    auto readUnsigned16 = [&memory](std::uint32_t at) {
        unsigned char bytes[2] = {0, 0};
        return memory.Read(at, bytes, 2) ? bytes[0] | bytes[1] << 8 : 0;
    };
    PlayerPosition position;
    position.x = readUnsigned16(address);
    position.y = readUnsigned16(address + 2); // wraps modulo 2^32
    return position;
}

PlayerPosition ReadPlayerPosition(std::int32_t processId, std::uint64_t startTime, std::uint32_t address)
{
    return ReadPlayerPosition(ProcessMemory(processId, startTime), address);
}
