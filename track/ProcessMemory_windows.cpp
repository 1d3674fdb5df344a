#include "track/ProcessMemory.h"

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

} // namespace

// Opened for reading memory only: asking for more rights would fail for more
// processes and would hand the viewer rights to change the game.
ProcessMemory::ProcessMemory(std::int32_t processId)
    : handle_(::OpenProcess(PROCESS_VM_READ, FALSE, DWORD(processId)))
{
    if (!handle_)
        access_ = AccessAfterFailedOpen(::GetLastError());
}

// The creation time is asked of the handle itself, which keeps naming the
// process it was opened for.
ProcessMemory::ProcessMemory(std::int32_t processId, std::uint64_t startTime)
    : handle_(::OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(processId)))
{
    if (!handle_) {
        access_ = AccessAfterFailedOpen(::GetLastError());
        return;
    }
    FILETIME creation{}, exit{}, kernel{}, user{};
    if (!::GetProcessTimes(handle_, &creation, &exit, &kernel, &user) ||
        (std::uint64_t(creation.dwHighDateTime) << 32 | creation.dwLowDateTime) != startTime) {
        ::CloseHandle(handle_);
        handle_ = nullptr;
        access_ = ProcessAccess::Ended; // its identifier now names another process
    }
}

ProcessMemory::~ProcessMemory()
{
    if (handle_)
        ::CloseHandle(handle_);
}

bool ProcessMemory::IsOpen() const
{
    return handle_ != nullptr;
}

bool ProcessMemory::Read(std::uint32_t address, void* into, std::size_t size) const
{
    SIZE_T read = 0;
    return handle_ && ::ReadProcessMemory(handle_, reinterpret_cast<LPCVOID>(std::uintptr_t(address)), into, size, &read) &&
           read == size;
}
