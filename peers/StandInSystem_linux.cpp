#include "peers/StandInSystem.h"

#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

volatile std::uint8_t* LowMemory(std::size_t size, std::uintptr_t)
{
    void* block = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
    return block == MAP_FAILED ? nullptr : static_cast<volatile std::uint8_t*>(block);
}

unsigned long ProcessId()
{
    return static_cast<unsigned long>(::getpid());
}

void AllowReadingByAnyProcess()
{
    ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
}

void RefuseReadingByOthers()
{
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}
