#pragma once
// How a process is named on Linux, for the process list and its details.

#include <cstddef>
#include <filesystem>
#include <string>

// The name of the process whose /proc folder is given: a Windows program under
// Wine by the ".exe" its command line starts with, any other program by its
// executable, and one whose executable cannot be read by the kernel's short
// name. Wine's loader never names a process.
std::string ProcessNameOf(const std::filesystem::path& procFolder);

// The bytes of a /proc file, at most maxBytes. A read that fails (the
// process ended meanwhile) gives what was read before it, never an exception.
std::string ReadProcFile(const std::filesystem::path& path, std::size_t maxBytes = std::size_t(-1));

// UTF-8 bytes cut to at most maxBytes without leaving part of a character at
// the end, also when they came cut already (the kernel's short names are cut
// at 15 bytes wherever that falls).
std::string WholeCharacters(std::string bytes, std::size_t maxBytes);
