#include "base/RegularFile.h"

#include <algorithm>
#include <string>
#include <utility>

#include <windows.h>

namespace {

HANDLE AsHandle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

RegularFile::RegularFile(const std::filesystem::path& path)
{
    // A named pipe or a device opens without waiting (or fails); a folder
    // does not open without backup semantics.
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        foundNoRegularFile_ = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                              (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
        ::SetLastError(error);
        openFailure_ = LastSystemErrorText();
        return;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        foundNoRegularFile_ = true;
        openFailure_ = kNotARegularFile;
        ::CloseHandle(file);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
}

void RegularFile::Close()
{
    if (handle_ != kNoHandle)
        ::CloseHandle(AsHandle(handle_));
    handle_ = kNoHandle;
}

std::int64_t RegularFile::Size() const
{
    LARGE_INTEGER size{};
    return IsOpen() && ::GetFileSizeEx(AsHandle(handle_), &size) ? std::int64_t(size.QuadPart) : 0;
}

std::int64_t RegularFile::ReadAt(std::int64_t offset, void* into, std::int64_t size) const
{
    auto* bytes = static_cast<char*>(into);
    std::int64_t got = 0;
    while (IsOpen() && got < size) {
        // The offset goes with each read, so threads never share a file position.
        OVERLAPPED at{};
        const std::uint64_t position = std::uint64_t(offset + got);
        at.Offset = DWORD(position);
        at.OffsetHigh = DWORD(position >> 32);
        const DWORD wanted = DWORD(std::min<std::int64_t>(size - got, 1 << 30));
        DWORD read = 0;
        if (!::ReadFile(AsHandle(handle_), bytes + got, wanted, &read, &at) || read == 0)
            break;
        got += read;
    }
    return got;
}

std::string LastSystemErrorText()
{
    const DWORD error = ::GetLastError();
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "System error " + std::to_string(error);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '.' || message.back() == ' ' || message.back() == '\r' ||
                                message.back() == '\n'))
        message.pop_back();
    return message;
}
