#include "ProcessMemory.h"

#include <cerrno>
#include "ProcStat_linux.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

// /proc/PID/mem reads another process's memory without stopping it; the
// kernel allows it where it would allow tracing that process.
ProcessMemory::ProcessMemory(std::int32_t processId)
    : fd_(::open(("/proc/" + std::to_string(processId) + "/mem").c_str(), O_RDONLY | O_CLOEXEC))
{
    if (fd_ >= 0)
        return;
    if (errno == ENOENT || errno == ESRCH)
        access_ = ProcessAccess::Ended;
    else if (errno == EACCES || errno == EPERM)
        access_ = ProcessAccess::Denied;
    else
        access_ = ProcessAccess::Failed;
}

// Through the open /proc/PID folder, which stays the folder of the process
// it was opened for even when the identifier is given to a new one.
ProcessMemory::ProcessMemory(std::int32_t processId, std::uint64_t startTime)
{
    const int folder = ::open(("/proc/" + std::to_string(processId)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return;
    if (StartTimeInOpenProcFolder(folder) == startTime)
        fd_ = ::openat(folder, "mem", O_RDONLY | O_CLOEXEC);
    ::close(folder);
}

ProcessMemory::~ProcessMemory()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool ProcessMemory::IsOpen() const
{
    return fd_ >= 0;
}

bool ProcessMemory::Read(std::uint32_t address, void* into, std::size_t size) const
{
    return fd_ >= 0 && ::pread(fd_, into, size, off_t(address)) == ssize_t(size);
}
