#include "process/ProcessModules.h"

#include "base/UserText.h"

#include "process/OwnedHandle_windows.h"
#include "process/WhyUnreadable.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(std::size_t(size > 0 ? size : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

} // namespace

ModuleList ListModules(std::int32_t processId)
{
    ModuleList list;
    const OwnedHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, DWORD(processId)));
    if (!process) {
        list.failure = WhyUnreadable(processId, int(::GetLastError()));
        return list;
    }
    BOOL wow64 = FALSE;
    if (::IsWow64Process(process.Get(), &wow64) && wow64)
        list.pointerWidth = 4;
    std::vector<HMODULE> handles(256);
    DWORD needed = 0;
    while (::EnumProcessModulesEx(process.Get(), handles.data(), DWORD(handles.size() * sizeof(HMODULE)), &needed,
                                  LIST_MODULES_ALL) &&
           needed > handles.size() * sizeof(HMODULE))
        handles.resize(needed / sizeof(HMODULE));
    handles.resize(needed / sizeof(HMODULE));
    for (HMODULE handle : handles) {
        MODULEINFO information{};
        wchar_t name[MAX_PATH] = {};
        if (!::GetModuleInformation(process.Get(), handle, &information, sizeof information) ||
            !::GetModuleBaseNameW(process.Get(), handle, name, MAX_PATH))
            continue;
        list.modules.push_back({Utf8(name), std::uint64_t(reinterpret_cast<std::uintptr_t>(information.lpBaseOfDll)),
                                information.SizeOfImage});
    }
    std::sort(list.modules.begin(), list.modules.end(),
              [](const ProcessModule& a, const ProcessModule& b) { return a.base < b.base; });
    if (list.modules.empty())
        list.failure = WithValues(UserText("ProcessModules", "The modules of process %1 cannot be listed."),
                                  {std::to_string(processId)});
    return list;
}
