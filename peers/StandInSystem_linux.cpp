#include "peers/StandInSystem.h"

#include <fcntl.h>
#include <linux/userfaultfd.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <csignal>
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

volatile std::uint8_t* NeverAnsweringMemory(std::size_t size, bool descriptorInChild)
{
    // Not UFFD_USER_MODE_ONLY: another program's read must wait as well.
    const int faults = int(::syscall(SYS_userfaultfd, O_CLOEXEC));
    if (faults < 0)
        return nullptr;
    uffdio_api api{};
    api.api = UFFD_API;
    // At the lowest address a program may map, so that it is the first of
    // the client's writable regions.
    void* lowest = ::mmap(reinterpret_cast<void*>(std::uintptr_t(0x10000)), size, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    volatile std::uint8_t* block = lowest == MAP_FAILED ? nullptr : static_cast<volatile std::uint8_t*>(lowest);
    uffdio_register registration{};
    registration.range = {reinterpret_cast<std::uintptr_t>(block), size};
    registration.mode = UFFDIO_REGISTER_MODE_MISSING;
    if (!block || ::ioctl(faults, UFFDIO_API, &api) != 0 || ::ioctl(faults, UFFDIO_REGISTER, &registration) != 0)
        return nullptr;
    if (descriptorInChild) {
        const pid_t parent = ::getpid();
        const pid_t child = ::fork();
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent)
                ::_exit(0); // the program ended before the child was told to end with it
            for (int output = 0; output < 3; ++output)
                ::close(output); // the program's reader sees its end when the program ends
            for (;;)
                ::pause();
        }
        if (child < 0)
            return nullptr;
        ::close(faults);
    }
    return block; // the descriptor stays open, unread, for the program's life
}
