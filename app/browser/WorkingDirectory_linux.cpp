#include "app/browser/WorkingDirectory.h"

#include <filesystem>
#include <stdexcept>

std::string DirectoryChangeFailureText(std::error_code error, const std::filesystem::path& folder)
{
    if (error == std::errc::no_such_file_or_directory)
        return "File not found";
    if (error == std::errc::not_a_directory)
        return "Invalid filename";
    if (error == std::errc::too_many_files_open || error == std::errc::too_many_files_open_in_system)
        return "Too many open files";
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return "File access denied: you may not enter " + QuotedFolder(folder);
    if (error == std::errc::filename_too_long)
        return "File name too long: " + QuotedFolder(folder);
    return "I/O error " + std::to_string(error.value());
}

void ChangeWorkingDirectory(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::current_path(path, error);
    if (error)
        throw std::runtime_error(DirectoryChangeFailureText(error, path));
}
