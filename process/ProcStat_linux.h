#pragma once
// Linux only: the start time as /proc tells it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

// Field 22 of a /proc/PID/stat line. The command name (field 2) stands in
// parentheses and may itself hold spaces and parentheses: the fields are
// counted from the last ")".
std::optional<std::uint64_t> StartTimeOfStatLine(std::string_view stat);

// The start time of the process whose /proc folder (or one made up like it)
// is given.
std::optional<std::uint64_t> StartTimeInProcFolder(const std::filesystem::path& processFolder);

// The same, from the stat file of an open /proc/PID folder.
std::optional<std::uint64_t> StartTimeInOpenProcFolder(int folderDescriptor);
