#pragma once
// Changing the process's working directory, as the drive selector, the
// directory list and the file list do. One implementation per platform: the
// failures are the system's own (errno values here, Windows error codes there).

#include "qtfiles/FileNames.h"

#include <filesystem>
#include <string>
#include <system_error>

// "File not found", "Invalid filename", "Too many open files",
// "File access denied" and "File name too long" naming the folder, or
// "I/O error N" with the system's error number.
std::string DirectoryChangeFailureText(std::error_code error, const std::filesystem::path& folder);

// The folder as these texts name it: in quotes, a long path cut in the middle.
inline std::string QuotedFolder(const std::filesystem::path& folder)
{
    return "\"" + ShownPathCut(folder).toStdString() + "\"";
}

// The path absolute, without "." or ".." and without a trailing separator.
inline std::filesystem::path CleanAbsolutePath(const std::filesystem::path& path)
{
    const std::filesystem::path clean = std::filesystem::absolute(path).lexically_normal();
    return clean.has_filename() || clean == clean.root_path() ? clean : clean.parent_path();
}

// Throws std::runtime_error with DirectoryChangeFailureText when the
// directory cannot be entered.
void ChangeWorkingDirectory(const std::filesystem::path& path);
