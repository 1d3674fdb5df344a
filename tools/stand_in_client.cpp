// A stand-in for the game client, for trying and testing the tracker: it
// keeps the player's x and y as two unsigned 16-bit little-endian values at
// an address below 4 GiB and moves the player along the open cells of a map
// every half second, or holds a given position.
//
//   stand_in_client [--map FILE.map] [--hold X Y] [--seconds N] [--private]
//
// --private keeps other programs of the same user from reading its memory
// (on Linux: not dumpable), as a protected game client would.
//
// The first line it prints is "pid <identifier> address <hex address>".

#include "MapReader.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>
#endif

namespace {

struct Position {
    std::uint16_t x, y;
};

// A page below 4 GiB, so a 32-bit address reaches it.
volatile std::uint8_t* LowPage()
{
#ifdef _WIN32
    for (std::uintptr_t at = 0x10000000; at < 0xF0000000; at += 0x10000) {
        if (void* page = ::VirtualAlloc(reinterpret_cast<void*>(at), 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))
            return static_cast<volatile std::uint8_t*>(page);
    }
    return nullptr;
#else
    void* page = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
    return page == MAP_FAILED ? nullptr : static_cast<volatile std::uint8_t*>(page);
#endif
}

unsigned long ProcessId()
{
#ifdef _WIN32
    return ::GetCurrentProcessId();
#else
    return static_cast<unsigned long>(::getpid());
#endif
}

void AllowReadingByAnyProcess()
{
#ifndef _WIN32
    ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0); // under Yama's restricted tracing
#endif
}

void RefuseReadingByOthers()
{
#ifndef _WIN32
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0); // then only a tracing-capable process may read it
#endif
}

// The open cells of a map in reading order, or a small square walk.
std::vector<Position> Route(const std::optional<std::string>& mapFile)
{
    std::vector<Position> route;
    if (mapFile) {
        if (const std::optional<MapLoad> map = ReadMapFile(*mapFile)) {
            for (int y = map->image.Height() / 3; y < map->image.Height(); y += 7)
                for (int x = 0; x < map->image.Width(); ++x)
                    if (map->matrix[x][y] == kWalkOpen)
                        route.push_back({std::uint16_t(x), std::uint16_t(y)});
        }
    }
    if (route.empty()) {
        for (std::uint16_t i = 0; i < 40; ++i)
            route.push_back({std::uint16_t(10 + i), 10});
    }
    return route;
}

void Store(volatile std::uint8_t* at, Position position)
{
    at[0] = std::uint8_t(position.x);
    at[1] = std::uint8_t(position.x >> 8);
    at[2] = std::uint8_t(position.y);
    at[3] = std::uint8_t(position.y >> 8);
}

} // namespace

int main(int argc, char** argv)
{
    std::optional<std::string> mapFile;
    std::optional<Position> hold;
    int seconds = 3600;
    bool readable = true;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--map" && i + 1 < argc) {
            mapFile = argv[++i];
        } else if (option == "--hold" && i + 2 < argc) {
            hold = Position{std::uint16_t(std::atoi(argv[i + 1])), std::uint16_t(std::atoi(argv[i + 2]))};
            i += 2;
        } else if (option == "--seconds" && i + 1 < argc) {
            seconds = std::atoi(argv[++i]);
        } else if (option == "--private") {
            readable = false;
        } else {
            std::fprintf(stderr, "usage: %s [--map FILE.map] [--hold X Y] [--seconds N] [--private]\n", argv[0]);
            return 2;
        }
    }
    volatile std::uint8_t* page = LowPage();
    if (!page) {
        std::fprintf(stderr, "no memory below 4 GiB to be had\n");
        return 1;
    }
    if (readable)
        AllowReadingByAnyProcess();
    else
        RefuseReadingByOthers();
    volatile std::uint8_t* position = page + 0x120;
    const std::vector<Position> route = hold ? std::vector<Position>{*hold} : Route(mapFile);
    Store(position, route.front());
    std::printf("pid %lu address %X\n", ProcessId(),
                static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(position)));
    std::printf("Type the address into the viewer's memory address box, pick this process and tick 读取坐标.\n");
    std::fflush(stdout);

    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (std::size_t step = 0; std::chrono::steady_clock::now() < end; ++step) {
        Store(position, route[step % route.size()]);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    return 0;
}
