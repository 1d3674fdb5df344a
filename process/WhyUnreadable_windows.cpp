#include "process/WhyUnreadable.h"

#include "base/UserText.h"

#include <windows.h>

// The system's own words, in the system's code page.
std::string WhyUnreadable(std::int32_t, int systemError)
{
    if (systemError == ERROR_INVALID_PARAMETER)
        return UserText("WhyUnreadable", "The process has ended."); // no process has that identifier
    // The system's words end with their own full stop.
    return WithValues(UserText("WhyUnreadable", "The system refuses to let the viewer read it: %1"),
                      {SystemErrorText(systemError)});
}

std::string SystemErrorText(int systemError)
{
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, DWORD(systemError), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(systemError);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

std::string WhyAccessIsDenied(std::int32_t processId)
{
    return WhyUnreadable(processId, ERROR_ACCESS_DENIED);
}
