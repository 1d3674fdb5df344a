#include "process/ClientStart.h"

#include <algorithm>
#include <cctype>

namespace {

std::string FileNameOf(const std::string& program)
{
    const std::size_t slash = program.find_last_of("/\\");
    return slash == std::string::npos ? program : program.substr(slash + 1);
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::optional<std::uint32_t> FindStartedClient(const std::vector<ProcessEntry>& processes, std::uint32_t started,
                                               const std::string& program)
{
    const std::string fileName = FileNameOf(program);
    std::optional<std::uint32_t> itself;
    for (const ProcessEntry& process : processes) {
        if (!IsDescendantOf(process.processId, started))
            continue;
        if (SameNameIgnoringCase(process.exeFile, fileName))
            return process.processId;
        if (process.processId == started)
            itself = started;
    }
    return itself;
}
