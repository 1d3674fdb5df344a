#pragma once
// Finding the pointer paths (PointerPath.h) that lead from a client's
// modules to an address: the paths a value can be found by again after the
// client restarts.
//
// How: every pointer-aligned word of the client's writable memory whose
// value lands in that memory is put in an index sorted by value (value and
// place). From
// the address, the search goes backward one step at a time: the places
// holding a pointer to at most maxOffset bytes before an address of the
// step before. A place inside a module ends a path there; the others are
// the addresses of the next step. Shortest paths come first.
//
// Contract: the client is only read (ProcessReader.h). At most maxPaths
// paths; at most kMaxPointerSteps steps; the addresses of one step are cut
// to maxAddressesAStep (the paths through those left out are not found).
// When cancel turns true the scan stops within a MiB of reading or a step's
// address, and returns what it has found. progress(done, total) is called
// from the calling thread now and then.

#include "process/ProcessModules.h"
#include "process/ProcessReader.h"
#include "track/PointerPath.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

struct PointerScanLimits {
    std::size_t maxSteps = kMaxPointerSteps;
    std::uint64_t maxOffset = 4095;
    std::size_t maxPaths = 1000;
    std::size_t maxAddressesAStep = 200000;
};

// A pointer found in the client's memory.
struct PointerAt {
    std::uint64_t value = 0;
    std::uint64_t place = 0;
};

// The pointers of a client of that width, read by reader, for ResolvePointerPath.
PointerReader PointersReadBy(const ProcessReader& reader, unsigned pointerWidth);

// The index the search goes through, sorted by value: 16 bytes a pointer found.
std::vector<PointerAt> IndexPointers(const ProcessReader& reader, unsigned pointerWidth, const std::atomic<bool>& cancel,
                                     const std::function<void(std::uint64_t done, std::uint64_t total)>& progress);

// The search alone, over an index made by IndexPointers.
std::vector<PointerPath> FindPointerPaths(const std::vector<PointerAt>& pointers, const std::vector<ProcessModule>& modules,
                                          std::uint64_t target, const PointerScanLimits& limits,
                                          const std::atomic<bool>& cancel);
