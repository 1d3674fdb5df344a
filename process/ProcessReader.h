#pragma once
// Reading a running process's memory in bulk, for the address finder.
//
// Contract: never attaches to, stops or writes into the process. Linux reads
// with process_vm_readv and falls back to /proc/PID/mem where that call is
// refused; Windows opens the process with the rights to read its memory and
// to query its regions, nothing more. Nothing throws but std::bad_alloc.
// - Refusal() is empty when the process could be opened and a first read
//   made; otherwise one or more sentences telling why not (WhyUnreadable.h),
//   for a message box or a line on standard error. Reads then all fail.
// - WritableRegions() lists the regions the process can both read and write,
//   ascending and merged where they touch; empty when they cannot be listed.
//   Regions a read of would wait for ever (on Linux those whose pages the
//   process fills in itself through userfaultfd) are left out, their bytes
//   told in neverAnsweringBytes.
// - ReadPieces() reads each piece as far as it can: `got` tells how many of
//   its bytes, from its start, were read (a page unmapped meanwhile stops a
//   piece there and the next piece goes on).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct MemoryRegion {
    std::uint64_t start = 0;
    std::uint64_t end = 0; // one past the last byte
};

struct ReadPiece {
    std::uint64_t address = 0;
    std::size_t size = 0;
    unsigned char* into = nullptr;
    std::size_t got = 0;
};

class ProcessReader {
public:
    explicit ProcessReader(std::int32_t processId);
    ~ProcessReader();
    ProcessReader(const ProcessReader&) = delete;
    ProcessReader& operator=(const ProcessReader&) = delete;

    std::int32_t ProcessId() const { return processId_; }
    const std::string& Refusal() const { return refusal_; }
    bool IsRunning() const;

    std::vector<MemoryRegion> WritableRegions(std::uint64_t* neverAnsweringBytes = nullptr) const;
    void ReadPieces(ReadPiece* pieces, std::size_t count) const;
    // One piece: how many bytes were read from its start.
    std::size_t Read(std::uint64_t address, void* into, std::size_t size) const;

private:
    std::int32_t processId_;
    std::string refusal_;
    // What the system opened: on Linux /proc/PID/mem's descriptor where
    // process_vm_readv is refused (-1: none), on Windows the process's handle.
    std::intptr_t opened_ = -1;
    // When the process started (Linux): a later process given its identifier
    // once it has ended is not it.
    std::optional<std::uint64_t> startTime_;
};

// Adjacent regions joined, ascending; the input in any order.
std::vector<MemoryRegion> MergeTouchingRegions(std::vector<MemoryRegion> regions);
