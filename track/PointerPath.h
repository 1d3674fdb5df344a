#pragma once
// A pointer path: where a value can be found again after the program that
// keeps it has restarted, written as "Client.exe+1A2B3C -> +10 -> +8": the
// address 1A2B3C bytes into the module Client.exe; then, at each "->", the
// pointer read at the address so far plus the offset after it. The address
// the last step lands on holds the value.
//
// Contract:
// - ParsePointerPath takes module names of any letters but "+" (compared
//   without letter case of A-Z), or any bytes in double quotes with \",
//   \\ and \xNN escapes, hexadecimal offsets of at most 16 digits
//   with an optional "0x", spaces anywhere between the parts, and at most
//   kMaxPointerSteps steps. On failure, path is empty and failure says what
//   is wrong and where, for a message box or a line on standard error.
// - FormatPointerPath writes the form ParsePointerPath reads, upper-case hex;
//   a module name in quotes where it holds "+", "->", a backslash, a
//   blank at an end, a control character or bytes that are not UTF-8, so
//   that the text is UTF-8 and reads back as the same path.
// - ResolvePointerPath follows a path in a process through its modules and a
//   pointer reader (4 or 8 bytes, little-endian); on failure, address is
//   empty and failure names the step that could not be followed.

#include "process/ProcessModules.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kMaxPointerSteps = 4;

struct PointerPath {
    std::string module;
    std::uint64_t moduleOffset = 0;
    std::vector<std::uint64_t> offsets; // one a step: added to the pointer read
};
bool operator==(const PointerPath& a, const PointerPath& b);

struct ParsedPointerPath {
    std::optional<PointerPath> path;
    std::string failure;
};
ParsedPointerPath ParsePointerPath(std::string_view text);
std::string FormatPointerPath(const PointerPath& path);

// Whether the bytes are UTF-8 text (no byte of GBK text, say, outside it).
bool IsUtf8(std::string_view text);

// A hexadecimal number of at most 16 digits, with or without "0x", blanks
// around it allowed: an offset of a path, or an address.
std::optional<std::uint64_t> ParseHexNumber(std::string_view text);

// The pointer at an address, or none where it cannot be read.
using PointerReader = std::function<std::optional<std::uint64_t>(std::uint64_t address)>;

struct ResolvedPointerPath {
    std::optional<std::uint64_t> address;
    std::string failure;
};
ResolvedPointerPath ResolvePointerPath(const PointerPath& path, const std::vector<ProcessModule>& modules,
                                       const PointerReader& readPointer);

// The paths that still resolve, in a process started anew, to an address
// that leads(address) takes (one holding the player's position, say).
std::vector<PointerPath> PathsStillLeading(const std::vector<PointerPath>& paths, const std::vector<ProcessModule>& modules,
                                           const PointerReader& readPointer,
                                           const std::function<bool(std::uint64_t address)>& leads);
