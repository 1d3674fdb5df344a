#pragma once
// Reading another process's memory, for one tracker tick.
//
// Contract: the constructor opens the process for reading its memory only
// (never attaching to it or stopping it); the destructor closes it. A process
// that cannot be opened gives an object whose reads all fail, and Access()
// tells why: the process has ended, or the system refuses access to it.
// Read() is true only when all `size` bytes were read, and never throws.
// Given a start time (ProcessStartTime.h), only the process that started then
// is opened: an identifier that now names another process opens nothing, and
// the check is made on the process opened, so no other can come in between.

#include <cstddef>
#include <cstdint>

enum class ProcessAccess { Open, Ended, Denied, Failed };

class ProcessMemory {
public:
    explicit ProcessMemory(std::int32_t processId);
    ProcessMemory(std::int32_t processId, std::uint64_t startTime);
    ~ProcessMemory();
    ProcessMemory(const ProcessMemory&) = delete;
    ProcessMemory& operator=(const ProcessMemory&) = delete;

    bool IsOpen() const;
    ProcessAccess Access() const { return access_; }
    bool Read(std::uint32_t address, void* into, std::size_t size) const;

private:
    static constexpr std::intptr_t kNotOpen = -1;
    ProcessAccess access_ = ProcessAccess::Open;
    // The open process: the file of its memory on Linux, its handle on
    // Windows (ProcessMemory_linux.cpp, ProcessMemory_windows.cpp).
    std::intptr_t handle_ = kNotOpen;
};
