#include "peers/StandInSystem.h"

#include <fcntl.h>
#include <linux/userfaultfd.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
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

volatile std::uint8_t* NeverAnsweringMemory(std::size_t size)
{
    // Not UFFD_USER_MODE_ONLY: another program's read must wait as well.
    const int faults = int(::syscall(SYS_userfaultfd, O_CLOEXEC));
    if (faults < 0)
        return nullptr;
    uffdio_api api{};
    api.api = UFFD_API;
    volatile std::uint8_t* block = LowMemory(size);
    uffdio_register registration{};
    registration.range = {reinterpret_cast<std::uintptr_t>(block), size};
    registration.mode = UFFDIO_REGISTER_MODE_MISSING;
    if (!block || ::ioctl(faults, UFFDIO_API, &api) != 0 || ::ioctl(faults, UFFDIO_REGISTER, &registration) != 0)
        return nullptr;
    return block; // the descriptor stays open, unread, for the program's life
}
