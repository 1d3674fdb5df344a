#include "base/HexText.h"

#include <charconv>
#include <cstdio>

std::optional<std::uint64_t> ParseHexDigits(std::string_view digits)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

std::string HexText(std::uint64_t value, int width)
{
    char text[24];
    std::snprintf(text, sizeof text, "%0*llX", width, static_cast<unsigned long long>(value));
    return text;
}
