#include "ProcessMemory.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

// /proc/PID/mem reads another process's memory without stopping it; the
// kernel allows it where it would allow tracing that process.
ProcessMemory::ProcessMemory(std::int32_t processId)
    : fd_(::open(("/proc/" + std::to_string(processId) + "/mem").c_str(), O_RDONLY | O_CLOEXEC))
{
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
