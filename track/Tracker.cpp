#include "Tracker.h"

#include <charconv>

namespace {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::uint32_t> ParseHexAddress(std::string_view dollarText)
{
    if (dollarText.size() < 2 || dollarText[0] != '$')
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : dollarText.substr(1)) {
        const int digit = HexDigitValue(c);
        if (digit < 0 || value > 0x0FFFFFFFu)
            return std::nullopt;
        value = value * 16 + std::uint32_t(digit);
    }
    return value;
}

std::optional<std::int32_t> ParseDecimalInteger(std::string_view text)
{
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
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
