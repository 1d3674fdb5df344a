#include "ProcessMemory.h"

#include <cerrno>

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
