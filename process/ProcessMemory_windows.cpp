#include "process/ProcessMemory.h"

#include <windows.h>

namespace {

// An identifier that names no process is an invalid parameter.
ProcessAccess AccessAfterFailedOpen(DWORD error)
{
    if (error == ERROR_INVALID_PARAMETER)
        return ProcessAccess::Ended;
    if (error == ERROR_ACCESS_DENIED)
        return ProcessAccess::Denied;
    return ProcessAccess::Failed;
}

// The handle as kept, kNotOpen for none.
std::intptr_t Kept(HANDLE process, std::intptr_t notOpen)
{
    return process ? reinterpret_cast<std::intptr_t>(process) : notOpen;
}

} // namespace

// Opened for reading memory only: asking for more rights would fail for more
// processes and would hand the viewer rights to change the game.
ProcessMemory::ProcessMemory(std::int32_t processId)
    : handle_(Kept(::OpenProcess(PROCESS_VM_READ, FALSE, DWORD(processId)), kNotOpen))
{
    if (!IsOpen())
        access_ = AccessAfterFailedOpen(::GetLastError());
}

// The creation time is asked of the handle itself, which keeps naming the
// process it was opened for.
ProcessMemory::ProcessMemory(std::int32_t processId, std::uint64_t startTime)
    : handle_(Kept(::OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(processId)), kNotOpen))
{
    if (!IsOpen()) {
        access_ = AccessAfterFailedOpen(::GetLastError());
        return;
    }
    FILETIME creation{}, exit{}, kernel{}, user{};
    if (!::GetProcessTimes(reinterpret_cast<HANDLE>(handle_), &creation, &exit, &kernel, &user) ||
        (std::uint64_t(creation.dwHighDateTime) << 32 | creation.dwLowDateTime) != startTime) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
        handle_ = kNotOpen;
        access_ = ProcessAccess::Ended; // its identifier now names another process
    }
}

ProcessMemory::~ProcessMemory()
{
    if (IsOpen())
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool ProcessMemory::IsOpen() const
{
    return handle_ != kNotOpen;
}

bool ProcessMemory::Read(std::uint32_t address, void* into, std::size_t size) const
{
    SIZE_T read = 0;
    return IsOpen() && ::ReadProcessMemory(reinterpret_cast<HANDLE>(handle_), reinterpret_cast<LPCVOID>(std::uintptr_t(address)), into, size, &read) &&
           read == size;
}
