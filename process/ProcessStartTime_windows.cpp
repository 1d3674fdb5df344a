#include "process/ProcessStartTime.h"

#include "process/OwnedHandle_windows.h"

#include <windows.h>

std::optional<std::uint64_t> ProcessStartTime(std::uint32_t processId)
{
    const OwnedHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(processId)));
    if (!process)
        return std::nullopt;
    // A process that has ended may still be open elsewhere: it counts as gone.
    FILETIME creation{}, exit{}, kernel{}, user{};
    DWORD exitCode = 0;
    if (!::GetProcessTimes(process.Get(), &creation, &exit, &kernel, &user) ||
        !::GetExitCodeProcess(process.Get(), &exitCode) || exitCode != STILL_ACTIVE)
        return std::nullopt;
    return std::uint64_t(creation.dwHighDateTime) << 32 | creation.dwLowDateTime;
}
