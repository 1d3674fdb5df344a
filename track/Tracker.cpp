#include "track/Tracker.h"

#include "base/HexText.h"

std::optional<std::uint32_t> ParseHexAddress(std::string_view digits)
{
    const std::optional<std::uint64_t> value = ParseHexDigits(digits);
    if (!value || *value > 0xFFFFFFFFu)
        return std::nullopt;
    return std::uint32_t(*value);
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
