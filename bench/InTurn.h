#pragma once
// Two pieces of work timed side by side: run one after the other, which of
// them first alternating from one call to the next, so that a slow moment of
// the machine falls on both alike.

#include <chrono>
#include <ctime>

struct Spent {
    double wallSeconds = 0, cpuSeconds = 0;
};

inline double ProcessCpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The calling thread's alone: what work costs the window's thread while
// what it hands to other threads runs beside.
inline double ThreadCpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The wall time of a piece of work, and the CPU time cpuSeconds() counts.
template <typename Work>
Spent Timed(Work work, double (*cpuSeconds)() = ProcessCpuSeconds)
{
    const auto started = std::chrono::steady_clock::now();
    const double startedCpu = cpuSeconds();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), cpuSeconds() - startedCpu};
}

template <typename First, typename Second>
void InTurn(bool& firstGoesFirst, First first, Second second)
{
    if (firstGoesFirst) {
        first();
        second();
    } else {
        second();
        first();
    }
    firstGoesFirst = !firstGoesFirst;
}
