#include "app/browser/WorkingDirectory.h"

#include <stdexcept>

#include <windows.h>

// The system's error codes: 2, 3, 4 and 5 have texts of their own.
std::string DirectoryChangeFailureText(std::error_code error, const std::filesystem::path& folder)
{
    if (error.category() == std::system_category()) {
        switch (error.value()) {
        case ERROR_FILE_NOT_FOUND:
            return "File not found";
        case ERROR_PATH_NOT_FOUND:
            return "Invalid filename";
        case ERROR_TOO_MANY_OPEN_FILES:
            return "Too many open files";
        case ERROR_ACCESS_DENIED:
            return "File access denied: you may not enter " + QuotedFolder(folder);
        case ERROR_FILENAME_EXCED_RANGE:
            return "File name too long: " + QuotedFolder(folder);
        }
    }
    return "I/O error " + std::to_string(error.value());
}

void ChangeWorkingDirectory(const std::filesystem::path& path)
{
    if (!::SetCurrentDirectoryW(std::filesystem::path(path).make_preferred().c_str()))
        throw std::runtime_error(
            DirectoryChangeFailureText(std::error_code(int(::GetLastError()), std::system_category()), path));
}
