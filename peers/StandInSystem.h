#pragma once
// What the stand-in client asks of the system, one file per platform
// (StandInSystem_linux.cpp, StandInSystem_windows.cpp).

#include <cstddef>
#include <cstdint>

// Zeroed memory below 4 GiB, so a 32-bit address reaches it; `from` is
// where to start looking on Windows. nullptr when there is none.
volatile std::uint8_t* LowMemory(std::size_t size, std::uintptr_t from = 0x10000000);

unsigned long ProcessId();

// Under Yama's restricted tracing, lets any process of the user read it;
// nothing to do on Windows.
void AllowReadingByAnyProcess();

// Leaves reading it to a tracing-capable process only; nothing to do on
// Windows.
void RefuseReadingByOthers();

// Writable memory below 4 GiB whose pages the program says it fills in
// itself when first touched (Linux's userfaultfd) and never does: a read of
// it by another program waits for ever. nullptr where the system has no such
// thing or refuses it (on Linux it takes root, or
// vm.unprivileged_userfaultfd=1). With descriptorInChild, a child process
// keeps the descriptor that holds the memory so and the program itself keeps
// none, which hides from a reader that looks for one; the child ends with
// the program.
volatile std::uint8_t* NeverAnsweringMemory(std::size_t size, bool descriptorInChild = false);
