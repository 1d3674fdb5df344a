#include "process/ProcessDetails.h"
#include "process/ProcessList.h"
#include "process/ProcessName_linux.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

// /proc/PID/cmdline holds the arguments each ended by a NUL. Only the start
// of a long one is read: a tooltip shows it.
std::string CommandLine(const std::string& folder)
{
    std::string arguments = ReadProcFile(folder + "/cmdline", kMaxCommandLineBytes + 1);
    const bool cut = arguments.size() > kMaxCommandLineBytes;
    while (!arguments.empty() && arguments.back() == '\0')
        arguments.pop_back();
    std::replace(arguments.begin(), arguments.end(), '\0', ' ');
    if (cut)
        arguments = WholeCharacters(arguments, kMaxCommandLineBytes) + "\xE2\x80\xA6";
    return arguments;
}

// The real user of "Uid:\treal\teffective\tsaved\tfilesystem" in /proc/PID/status.
std::string Owner(const std::string& folder)
{
    std::istringstream status(ReadProcFile(folder + "/status"));
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Uid:", 0) != 0)
            continue;
        std::istringstream fields(line.substr(4));
        unsigned long uid = 0;
        if (!(fields >> uid))
            return {};
        long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
        std::vector<char> buffer(std::size_t(bufferSize > 0 ? bufferSize : 16384));
        passwd entry{};
        passwd* found = nullptr;
        if (::getpwuid_r(uid_t(uid), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
            return found->pw_name;
        return std::to_string(uid);
    }
    return {};
}

} // namespace

ProcessDetails DetailsOfProcess(std::uint32_t processId)
{
    const std::string folder = "/proc/" + std::to_string(processId);
    return {CommandLine(folder), Owner(folder)};
}
