#include "process/OwnedHandle_windows.h"
#include "process/ProcessList.h"
#include "process/ProcessStartTime.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

namespace {

using CreateSnapshotFunction = HANDLE(WINAPI*)(DWORD, DWORD);
// The single-byte record, whatever UNICODE says.
using WalkFunction = BOOL(WINAPI*)(HANDLE, tagPROCESSENTRY32*);

// The process walk, bound by name from "kernel32.dll" once; binding is tried
// again only while the library could not be had.
struct ToolHelp {
    HMODULE kernel = nullptr;
    CreateSnapshotFunction createSnapshot = nullptr;
    WalkFunction first = nullptr;
    WalkFunction next = nullptr;

    bool Available()
    {
        if (!kernel) {
            kernel = ::GetModuleHandleA("kernel32.dll");
            if (kernel) {
                createSnapshot = reinterpret_cast<CreateSnapshotFunction>(
                    reinterpret_cast<void*>(::GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
                first = reinterpret_cast<WalkFunction>(reinterpret_cast<void*>(::GetProcAddress(kernel, "Process32First")));
                next = reinterpret_cast<WalkFunction>(reinterpret_cast<void*>(::GetProcAddress(kernel, "Process32Next")));
            }
        }
        return kernel && createSnapshot && first && next;
    }
};

} // namespace

std::vector<ProcessEntry> SnapshotProcesses()
{
    static ToolHelp toolHelp;
    std::vector<ProcessEntry> processes;
    if (!toolHelp.Available())
        return processes;
    const OwnedHandle snapshot(toolHelp.createSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return processes;
    tagPROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry; // the record of this build's platform
    for (BOOL found = toolHelp.first(snapshot.Get(), &entry); found; found = toolHelp.next(snapshot.Get(), &entry)) {
        const std::size_t length = strnlen(entry.szExeFile, MAX_PATH);
        processes.push_back({std::string(entry.szExeFile, length), std::uint32_t(entry.th32ProcessID),
                             ProcessStartTime(std::uint32_t(entry.th32ProcessID))});
    }
    return processes;
}
