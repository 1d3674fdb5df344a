#include "ProcessStartTime.h"

#include <windows.h>

std::optional<std::uint64_t> ProcessStartTime(std::uint32_t processId)
{
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(processId));
    if (!process)
        return std::nullopt;
    FILETIME creation{}, exit{}, kernel{}, user{};
    const bool known = ::GetProcessTimes(process, &creation, &exit, &kernel, &user);
    ::CloseHandle(process);
    if (!known)
        return std::nullopt;
    return std::uint64_t(creation.dwHighDateTime) << 32 | creation.dwLowDateTime;
}
