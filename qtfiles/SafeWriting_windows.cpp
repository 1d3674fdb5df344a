#include "qtfiles/SafeWriting.h"

#include "qtfiles/QtConversions.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <algorithm>
#include <stdexcept>

namespace {

QString SystemText(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const QString message = QString::fromWCharArray(text, int(length));
    ::LocalFree(text);
    return message;
}

} // namespace

QString LastErrorText()
{
    return SystemText(::GetLastError());
}

QString WhyNotWritable(const QString& fileName)
{
    const HANDLE file = ::CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(fileName).utf16()),
                                      GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
        return QString();
    }
    return SystemText(::GetLastError());
}

// Pipes and devices are not reached through names on Windows.
QString WhyNotAFileToReplace(const QString&)
{
    return QString();
}

void OverwriteInPlace(const QString& fileName, const std::vector<std::uint8_t>& bytes)
{
    const HANDLE file = ::CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(fileName).utf16()),
                                      GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw FileFailure("create", QFileInfo(fileName).absoluteFilePath(), LastErrorText());
    LARGE_INTEGER size{}, now{}, start{};
    size.QuadPart = LONGLONG(bytes.size());
    if (!::GetFileSizeEx(file, &now) || (now.QuadPart < size.QuadPart &&
                                         !(::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file)))) {
        const QString why = LastErrorText();
        ::CloseHandle(file);
        throw FileFailure("create", QFileInfo(fileName).absoluteFilePath(), why);
    }
    DWORD written = 0;
    const bool done = ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) &&
                      ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                      written == bytes.size() && ::SetEndOfFile(file);
    if (!::CloseHandle(file) || !done)
        throw std::runtime_error("Stream write error");
}

// Windows has no unnamed files that can be given a name later.
std::FILE* OpenUnnamedIn(const std::filesystem::path&)
{
    return nullptr;
}

bool NameUnnamed(std::FILE*, const std::filesystem::path&)
{
    return false;
}

std::FILE* OpenForWriting(const std::filesystem::path& path)
{
    return ::_wfopen(path.c_str(), L"wb");
}

qsizetype LastSeparatorIn(const QString& fileName)
{
    return std::max({fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')),
                     fileName.lastIndexOf(QLatin1Char(':'))});
}
