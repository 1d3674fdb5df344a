#include "process/ProcessList.h"
#include "process/ProcessName_linux.h"

#include "process/ProcStat_linux.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string BaseName(const std::string& path, const char* separators)
{
    const std::size_t last = path.find_last_of(separators);
    return last == std::string::npos ? path : path.substr(last + 1);
}

bool EndsWithExe(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string ending = name.substr(name.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ending == ".exe";
}

bool IsWineLoader(const std::string& name)
{
    return name == "wine" || name == "wine64" || name == "wine-preloader" || name == "wine64-preloader";
}

} // namespace

std::string WholeCharacters(std::string bytes, std::size_t maxBytes)
{
    if (bytes.size() > maxBytes)
        bytes.resize(maxBytes);
    auto isContinuation = [](unsigned char byte) { return (byte & 0xC0) == 0x80; };
    std::size_t lead = bytes.size();
    while (lead > 0 && bytes.size() - lead < 4 && isContinuation((unsigned char)bytes[lead - 1]))
        --lead;
    if (lead == 0)
        return bytes;
    const unsigned char first = (unsigned char)bytes[lead - 1];
    const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (lead - 1 + length > bytes.size())
        bytes.resize(lead - 1);
    return bytes;
}

// istream::read turns a failed read into a stream state; istreambuf_iterator
// would let the library's exception out.
std::string ReadProcFile(const fs::path& path, std::size_t maxBytes)
{
    std::ifstream file(path, std::ios::binary);
    std::string bytes;
    char block[4096];
    while (bytes.size() < maxBytes && file.read(block, sizeof block).gcount() > 0)
        bytes.append(block, std::size_t(file.gcount()));
    return bytes.substr(0, maxBytes);
}

std::string ProcessNameOf(const fs::path& folder)
{
    const std::string commandLine = ReadProcFile(folder / "cmdline");
    const std::string program = commandLine.substr(0, commandLine.find('\0'));
    if (EndsWithExe(program))
        return BaseName(program, "\\/");
    std::error_code error;
    const std::string executable = BaseName(fs::read_symlink(folder / "exe", error).string(), "/");
    if (!error && !executable.empty() && !IsWineLoader(executable))
        return executable;
    std::string shortName = ReadProcFile(folder / "comm");
    if (!shortName.empty() && shortName.back() == '\n')
        shortName.pop_back();
    return WholeCharacters(shortName, shortName.size());
}

std::vector<ProcessEntry> SnapshotProcesses()
{
    std::vector<ProcessEntry> processes;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); }))
            continue;
        ProcessEntry process;
        process.processId = std::uint32_t(std::strtoul(name.c_str(), nullptr, 10));
        process.exeFile = WholeCharacters(ProcessNameOf(entry.path()), kMaxProcessNameLength);
        process.startTime = StartTimeInProcFolder(entry.path());
        processes.push_back(std::move(process));
    }
    std::sort(processes.begin(), processes.end(),
              [](const ProcessEntry& a, const ProcessEntry& b) { return a.processId < b.processId; });
    return processes;
}
