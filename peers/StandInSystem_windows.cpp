#include "peers/StandInSystem.h"

#include <windows.h>

volatile std::uint8_t* LowMemory(std::size_t size, std::uintptr_t from)
{
    for (std::uintptr_t at = from; at < 0xF0000000; at += 0x10000) {
        if (void* block = ::VirtualAlloc(reinterpret_cast<void*>(at), size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))
            return static_cast<volatile std::uint8_t*>(block);
    }
    return nullptr;
}

unsigned long ProcessId()
{
    return ::GetCurrentProcessId();
}

void AllowReadingByAnyProcess() {}

void RefuseReadingByOthers() {}

volatile std::uint8_t* NeverAnsweringMemory(std::size_t, bool)
{
    return nullptr;
}
