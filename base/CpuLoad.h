#pragma once
// How busy the machine is at this moment, for choosing how many threads a
// piece of work gets.

#include <optional>
#include <string_view>

struct CpuLoad {
    int usableProcessors = 1; // those this process may run on
    int runnableThreads = 1;  // ready to run on the whole machine, the caller included
};

// Where the system cannot tell the runnable threads, they count as the
// caller alone.
CpuLoad CurrentCpuLoad();

// The runnable threads of a Linux load average text: "0.58 0.34 0.13 5/140 7242"
// gives 5. std::nullopt when the text is not of that form.
std::optional<int> RunnableThreadsOfLoadAverage(std::string_view loadAverage);
