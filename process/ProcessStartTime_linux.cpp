#include "process/ProcessStartTime.h"
#include "process/ProcStat_linux.h"

#include <charconv>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::optional<std::uint64_t> StartTimeInStatFile(int statDescriptor)
{
    if (statDescriptor < 0)
        return std::nullopt;
    char line[4096];
    const ssize_t size = ::read(statDescriptor, line, sizeof line);
    ::close(statDescriptor);
    if (size <= 0)
        return std::nullopt;
    return StartTimeOfStatLine(std::string_view(line, std::size_t(size)));
}

} // namespace

std::optional<std::uint64_t> StartTimeOfStatLine(std::string_view stat)
{
    constexpr int kStartTimeField = 22;
    std::size_t at = stat.rfind(')');
    if (at == std::string_view::npos)
        return std::nullopt;
    // Field 3 begins after ") "; each later one after a single space.
    for (int field = 3; field <= kStartTimeField; ++field) {
        if (at + 1 >= stat.size() || stat[at + 1] != ' ')
            return std::nullopt;
        at += 2;
        if (field < kStartTimeField) {
            at = stat.find(' ', at);
            if (at == std::string_view::npos)
                return std::nullopt;
            --at;
        }
    }
    std::uint64_t startTime = 0;
    const char* end = stat.data() + stat.size();
    const auto [next, error] = std::from_chars(stat.data() + at, end, startTime);
    if (error != std::errc() || next == stat.data() + at || (next != end && *next != ' ' && *next != '\n'))
        return std::nullopt;
    return startTime;
}

std::optional<std::uint64_t> StartTimeInProcFolder(const std::filesystem::path& processFolder)
{
    return StartTimeInStatFile(::open((processFolder / "stat").c_str(), O_RDONLY | O_CLOEXEC));
}

std::optional<std::uint64_t> StartTimeInOpenProcFolder(int folderDescriptor)
{
    return StartTimeInStatFile(::openat(folderDescriptor, "stat", O_RDONLY | O_CLOEXEC));
}

std::optional<std::uint64_t> ProcessStartTime(std::uint32_t processId)
{
    return StartTimeInProcFolder("/proc/" + std::to_string(processId));
}
