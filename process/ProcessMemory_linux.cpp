#include "process/ProcessMemory.h"

#include "process/ProcStat_linux.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace {

ProcessAccess AccessAfterFailedOpen(int error)
{
    if (error == ENOENT || error == ESRCH)
        return ProcessAccess::Ended;
    if (error == EACCES || error == EPERM)
        return ProcessAccess::Denied;
    return ProcessAccess::Failed;
}

} // namespace

// /proc/PID/mem reads another process's memory without stopping it; the
// kernel allows it where it would allow tracing that process.
ProcessMemory::ProcessMemory(std::int32_t processId)
    : handle_(::open(("/proc/" + std::to_string(processId) + "/mem").c_str(), O_RDONLY | O_CLOEXEC))
{
    if (handle_ < 0)
        access_ = AccessAfterFailedOpen(errno);
}

// Through the open /proc/PID folder, which stays the folder of the process
// it was opened for even when the identifier is given to a new one.
ProcessMemory::ProcessMemory(std::int32_t processId, std::uint64_t startTime)
{
    const int folder = ::open(("/proc/" + std::to_string(processId)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        access_ = AccessAfterFailedOpen(errno);
        return;
    }
    if (StartTimeInOpenProcFolder(folder) != startTime) {
        access_ = ProcessAccess::Ended; // its identifier now names another process
    } else {
        handle_ = ::openat(folder, "mem", O_RDONLY | O_CLOEXEC);
        if (handle_ < 0)
            access_ = AccessAfterFailedOpen(errno);
    }
    ::close(folder);
}

ProcessMemory::~ProcessMemory()
{
    if (handle_ >= 0)
        ::close(int(handle_));
}

bool ProcessMemory::IsOpen() const
{
    return handle_ >= 0;
}

bool ProcessMemory::Read(std::uint32_t address, void* into, std::size_t size) const
{
    return handle_ >= 0 && ::pread(int(handle_), into, size, off_t(address)) == ssize_t(size);
}
