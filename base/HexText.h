#pragma once
// Numbers written in hexadecimal, as addresses and offsets are typed and
// shown: upper-case digits, no prefix.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Hexadecimal digits (either case) and nothing else: no blanks, sign or
// prefix; leading zeros allowed. std::nullopt when empty, for any other
// character, or when the value does not fit in 64 bits.
std::optional<std::uint64_t> ParseHexDigits(std::string_view digits);

// The value in upper-case digits, zero-padded to at least `width` of them.
std::string HexText(std::uint64_t value, int width = 0);
