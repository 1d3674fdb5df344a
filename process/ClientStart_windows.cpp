#include "process/ClientStart.h"

#include "base/UserText.h"
#include "process/OwnedHandle_windows.h"
#include "process/WhyUnreadable.h"

#include <windows.h>
#include <tlhelp32.h>

#include <map>

namespace {

// One argument as the C run-time reads it back: quoted when it holds blanks
// or quotes, backslashes before a quote doubled.
std::string Quoted(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

// Each listed process's parent.
std::map<DWORD, DWORD> ParentsOfAll()
{
    std::map<DWORD, DWORD> parents;
    const OwnedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Get())
        return parents;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL found = ::Process32First(snapshot.Get(), &entry); found; found = ::Process32Next(snapshot.Get(), &entry))
        parents[entry.th32ProcessID] = entry.th32ParentProcessID;
    return parents;
}

} // namespace

StartedClient StartClient(const std::string& program, const std::vector<std::string>& arguments)
{
    std::string commandLine = Quoted(program);
    for (const std::string& argument : arguments)
        commandLine += " " + Quoted(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return {0, WithValues(UserText("ClientStart", "Cannot start \"%1\": %2"),
                              {program, SystemErrorText(int(::GetLastError()))})};
    const OwnedHandle thread(process.hThread);
    const OwnedHandle started(process.hProcess);
    return {std::uint32_t(process.dwProcessId), {}};
}

bool IsDescendantOf(std::uint32_t processId, std::uint32_t ancestor)
{
    const std::map<DWORD, DWORD> parents = ParentsOfAll();
    for (int depth = 0; depth < 4096; ++depth) {
        if (processId == ancestor)
            return true;
        const auto parent = parents.find(processId);
        if (parent == parents.end() || parent->second == processId)
            return false;
        processId = parent->second;
    }
    return false;
}
