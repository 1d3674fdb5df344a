// A stand-in for the game client, for trying and testing the tracker: it
// keeps the player's x and y as two unsigned 16-bit little-endian values at
// an address below 4 GiB and moves the player along the open cells of a map
// every half second, or holds a given position.
//
//   stand_in_client [--map FILE.map | --world FOLDER [--stay STEPS] [--pace MS] [--tell-key]]
//                   [--hold X Y] [--seconds N] [--private] [--hidden [--tell-address] [--block MIB] | --chained]
//                   [--never-answering [--descriptor-in-child]]
//
// --private keeps other programs of the same user from reading its memory
// (on Linux: not dumpable), as a protected game client would.
// --hidden keeps the position as a real client does, for trying the finder:
// at a place that differs from run to run in a larger block of other values,
// among decoys: copies of the first position that never move, and pairs that
// move but never onto a cell the player can stand on. It keeps the address
// to itself, as a real client does, unless --tell-address (for tests) asks.
// The block is 16 MiB unless --block tells its size (for benchmarks).
//
// --chained keeps the position as a program keeps a field of an object:
// in an object at a place that differs from run to run, reached from a
// global variable of the program through two pointers, so that the pointer
// path "stand_in_client+<global> -> +18 -> +40" finds it after a restart
// (a 64-bit build, and "-> +C -> +40" a 32-bit one; the global's offset
// depends on the build).
//
// --world walks through the maps of a folder as a player does: on cells it
// can stand on, a step every half second in one direction until the way is
// blocked, and after STEPS steps (20 unless told) on to another map of the
// folder at a cell of its own (the position jumps). It keeps which map it is
// on as the client keeps it: a number (the map's place among the folder's
// maps sorted by name, 32 bits) and the map's file name, in an object below
// 4 GiB whose place differs from run to run. It prints each change of map as
// "map <number> <name> <x>:<y>". --pace sets the time between two steps
// (500 milliseconds unless told), for tests that need not wait; --tell-key,
// for tests too, prints where it keeps them as a second line, "key number
// <hex address> name <hex address>". A global variable of the program points
// to the object, as a client's do.
//
// --never-answering also keeps 1 MiB below 4 GiB whose pages it says it
// fills in itself and never does (Linux's userfaultfd, which takes root or
// vm.unprivileged_userfaultfd=1): a read of it by another program waits for
// ever, as in a client that guards its memory so. It prints "never answering
// <hex address>", or why not on standard error. --descriptor-in-child
// leaves the descriptor that keeps it so to a child process, so that the
// client holds none (the memory is marked as ever in /proc/PID/smaps).
//
// The first line it prints is "pid <identifier> address <hex address>", or
// for --hidden without --tell-address "pid <identifier> address hidden".

#include "map/MapReader.h"
#include "peers/StandInSystem.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Position {
    std::uint16_t x, y;
};

struct Walks {
    std::vector<Position> route;   // open cells in reading order, or a small line
    std::vector<Position> blocked; // cells no one can stand on
};

Walks WalksOn(const std::optional<std::string>& mapFile)
{
    Walks walks;
    if (mapFile) {
        if (const std::optional<MapLoad> map = ReadMapFile(*mapFile)) {
            for (int y = map->image.Height() / 3; y < map->image.Height(); y += 7)
                for (int x = 0; x < map->image.Width(); ++x)
                    (map->matrix[x][y] == kWalkOpen ? walks.route : walks.blocked)
                        .push_back({std::uint16_t(x), std::uint16_t(y)});
            for (Position& cell : walks.blocked)
                if (map->matrix[cell.x][cell.y] != kWalkBlocked)
                    cell = {std::uint16_t(cell.x + map->image.Width()), cell.y}; // flagged: move it off the map
        }
    }
    if (walks.route.empty()) {
        for (std::uint16_t i = 0; i < 40; ++i)
            walks.route.push_back({std::uint16_t(10 + i), 10});
    }
    if (walks.blocked.empty())
        walks.blocked.push_back({60000, 60000});
    return walks;
}

void Store(volatile std::uint8_t* at, Position position)
{
    at[0] = std::uint8_t(position.x);
    at[1] = std::uint8_t(position.x >> 8);
    at[2] = std::uint8_t(position.y);
    at[3] = std::uint8_t(position.y >> 8);
}

// Where --hidden keeps the position and its decoys: a block (16 MiB unless
// told) whose place in memory and whose inner layout change from run to run.
struct HiddenLayout {
    volatile std::uint8_t* position = nullptr;
    std::vector<volatile std::uint8_t*> stillCopies;
    std::vector<volatile std::uint8_t*> movingOffMap;
};

HiddenLayout HideIn(std::mt19937& random, std::size_t blockBytes)
{
    HiddenLayout layout;
    volatile std::uint8_t* block = LowMemory(blockBytes, 0x10000000 + (random() % 0x4000) * 0x10000);
    if (!block)
        return layout;
    // Other fields of the client's objects, as they surround a real position.
    for (std::size_t at = 0; at < blockBytes; at += 2) {
        const unsigned value = random();
        block[at] = std::uint8_t(value);
        block[at + 1] = std::uint8_t(value >> 8);
    }
    // Each in a MiB of its own, so none overlaps another.
    constexpr std::size_t kSlot = std::size_t(1) << 20;
    std::vector<std::size_t> slots(blockBytes / kSlot);
    for (std::size_t i = 0; i < slots.size(); ++i)
        slots[i] = i;
    std::shuffle(slots.begin(), slots.end(), random);
    std::size_t used = 0;
    auto somewhere = [&] { return block + slots[used++] * kSlot + 2 * (random() % (kSlot / 2 - 4)); };
    layout.position = somewhere();
    for (int i = 0; i < 6; ++i)
        layout.stillCopies.push_back(somewhere());
    for (int i = 0; i < 6; ++i)
        layout.movingOffMap.push_back(somewhere());
    return layout;
}

// The object the global variable points to, and the object it points to in
// turn: the position is kChainedPositionOffset bytes into that one.
struct World {
    void* otherFields[3];
    volatile std::uint8_t* player;
};
constexpr std::size_t kChainedPositionOffset = 0x40;

volatile std::uint8_t* Chain(std::mt19937& random)
{
    static World* volatile world = nullptr; // the global: in the program's own data
    static std::vector<std::vector<char>> before; // so that the heap object's place differs too
    before.emplace_back(16 * (1 + random() % 4096));
    world = new World{};
    volatile std::uint8_t* player = LowMemory(std::size_t(1) << 20, 0x10000000 + (random() % 0x4000) * 0x10000);
    if (!player)
        return nullptr;
    world->player = player + 16 * (random() % 0x8000);
    return world->player + kChainedPositionOffset;
}

// What the client keeps of the map it is on, among its other fields.
struct CurrentMap {
    std::uint32_t otherFields[5];
    std::uint32_t number;
    char name[64];
};

class MapWorld {
public:
    MapWorld(std::vector<std::filesystem::path> maps, int stay, std::mt19937& random)
        : maps_(std::move(maps)), stay_(stay), random_(random)
    {
        // Below 4 GiB, where the tracker reads, at a place that differs from run to run.
        volatile std::uint8_t* block = LowMemory(std::size_t(1) << 20, 0x10000000 + (random_() % 0x4000) * 0x10000);
        current_ = block ? reinterpret_cast<volatile CurrentMap*>(block + 16 * (random_() % 0x8000)) : &fallback_;
        currentMap = current_; // a global of the program points to it, as a client's do
    }

    // Where the map's number and name are kept.
    std::uintptr_t NumberAddress() const { return reinterpret_cast<std::uintptr_t>(&current_->number); }
    std::uintptr_t NameAddress() const { return reinterpret_cast<std::uintptr_t>(&current_->name[0]); }

    bool Enter(std::size_t number)
    {
        std::optional<MapLoad> map = ReadMapFile(maps_[number]);
        if (!map || map->matrix.Columns() == 0 || map->matrix.Rows() == 0)
            return false;
        walk_ = std::move(map->matrix);
        for (int tries = 0; tries < 100000; ++tries) {
            const Position cell{std::uint16_t(random_() % unsigned(walk_.Columns())), std::uint16_t(random_() % unsigned(walk_.Rows()))};
            if (Standable(cell.x, cell.y) && !(cell.x == 0 && cell.y == 0)) {
                at_ = cell;
                current_->number = std::uint32_t(number);
                const std::string name = maps_[number].filename().string();
                for (std::size_t i = 0; i < sizeof current_->name; ++i)
                    current_->name[i] = i < std::min(name.size(), sizeof current_->name - 1) ? name[i] : '\0';
                std::printf("map %u %s %u:%u\n", unsigned(number), name.c_str(), unsigned(at_.x), unsigned(at_.y));
                std::fflush(stdout);
                steps_ = 0;
                return true;
            }
        }
        return false;
    }

    // A step on, or on to another map after stay_ steps.
    Position Step()
    {
        if (++steps_ >= stay_ && maps_.size() > 1) {
            for (std::size_t tries = 0; tries < maps_.size() * 4; ++tries) {
                const std::size_t next = random_() % maps_.size();
                if (next != current_->number && Enter(next))
                    return at_;
            }
        }
        for (int turns = 0; turns < 16; ++turns) {
            const int x = at_.x + direction_[0], y = at_.y + direction_[1];
            if ((direction_[0] || direction_[1]) && Standable(x, y) && !(x == 0 && y == 0)) {
                at_ = {std::uint16_t(x), std::uint16_t(y)};
                return at_;
            }
            direction_ = {int(random_() % 3) - 1, int(random_() % 3) - 1};
        }
        return at_;
    }

    Position At() const { return at_; }

private:
    bool Standable(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < walk_.Columns() && y < walk_.Rows() && walk_[x][y] != kWalkBlocked;
    }

    std::vector<std::filesystem::path> maps_;
    int stay_;
    std::mt19937& random_;
    static inline volatile CurrentMap* volatile currentMap = nullptr;
    volatile CurrentMap* current_;
    CurrentMap fallback_{};
    TMatrix walk_;
    Position at_{};
    std::array<int, 2> direction_{1, 0};
    int steps_ = 0;
};

std::vector<std::filesystem::path> MapsIn(const std::string& folder)
{
    std::vector<std::filesystem::path> maps;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (HasMapExtension(entry.path()) && entry.is_regular_file(error))
            maps.push_back(entry.path());
    std::sort(maps.begin(), maps.end());
    return maps;
}

} // namespace

int main(int argc, char** argv)
{
    std::optional<std::string> mapFile;
    std::optional<Position> hold;
    int seconds = 3600;
    bool readable = true;
    bool hidden = false;
    bool chained = false;
    std::size_t blockMiB = 16;
    std::optional<std::string> worldFolder;
    int stay = 20;
    int pace = 500;
    bool tellKey = false;
    bool tellAddress = false;
    bool neverAnswering = false;
    bool descriptorInChild = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--map" && i + 1 < argc) {
            mapFile = argv[++i];
        } else if (option == "--hold" && i + 2 < argc) {
            hold = Position{std::uint16_t(std::atoi(argv[i + 1])), std::uint16_t(std::atoi(argv[i + 2]))};
            i += 2;
        } else if (option == "--world" && i + 1 < argc) {
            worldFolder = argv[++i];
        } else if (option == "--stay" && i + 1 < argc) {
            stay = std::max(1, std::atoi(argv[++i]));
        } else if (option == "--tell-key") {
            tellKey = true;
        } else if (option == "--tell-address") {
            tellAddress = true;
        } else if (option == "--never-answering") {
            neverAnswering = true;
        } else if (option == "--descriptor-in-child") {
            descriptorInChild = true;
        } else if (option == "--pace" && i + 1 < argc) {
            pace = std::max(1, std::atoi(argv[++i]));
        } else if (option == "--seconds" && i + 1 < argc) {
            seconds = std::atoi(argv[++i]);
        } else if (option == "--private") {
            readable = false;
        } else if (option == "--hidden") {
            hidden = true;
        } else if (option == "--chained") {
            chained = true;
        } else if (option == "--block" && i + 1 < argc) {
            blockMiB = std::size_t(std::clamp(std::atoi(argv[++i]), 16, 512));
        } else {
            std::fprintf(stderr,
                         "usage: %s [--map FILE.map | --world FOLDER [--stay STEPS] [--pace MS] [--tell-key]] [--hold X Y] [--seconds N]\n"
                         "          [--private] [--hidden [--tell-address] [--block MIB] | --chained]\n"
                         "          [--never-answering [--descriptor-in-child]]\n",
                         argv[0]);
            return 2;
        }
    }
    std::mt19937 random(std::random_device{}() ^ unsigned(ProcessId()));
    HiddenLayout layout;
    if (hidden) {
        layout = HideIn(random, blockMiB << 20);
    } else if (chained) {
        layout.position = Chain(random);
    } else if (volatile std::uint8_t* page = LowMemory(4096)) {
        layout.position = page + 0x120;
    }
    volatile std::uint8_t* position = layout.position;
    if (!position) {
        std::fprintf(stderr, "no memory below 4 GiB to be had\n");
        return 1;
    }
    if (readable)
        AllowReadingByAnyProcess();
    else
        RefuseReadingByOthers();
    const Walks walks = WalksOn(mapFile);
    const std::vector<Position> route = hold ? std::vector<Position>{*hold} : walks.route;
    Store(position, route.front());
    for (volatile std::uint8_t* copy : layout.stillCopies)
        Store(copy, route.front());
    if (hidden && !tellAddress) {
        std::printf("pid %lu address hidden\n", ProcessId());
        std::printf("Find the address with the viewer's finder (Ctrl+F), as with a real client.\n");
    } else {
        std::printf("pid %lu address %X\n", ProcessId(),
                    static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(position)));
        std::printf("Type the address into the viewer's memory address box, pick this process and tick 读取坐标.\n");
    }
    std::fflush(stdout);
    if (neverAnswering) {
        if (volatile std::uint8_t* block = NeverAnsweringMemory(1 << 20, descriptorInChild))
            std::printf("never answering %X\n", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(block)));
        else
            std::fprintf(stderr, "no memory that never answers: the system refuses userfaultfd\n");
        std::fflush(stdout);
    }
    std::optional<MapWorld> world;
    if (worldFolder) {
        const std::vector<std::filesystem::path> maps = MapsIn(*worldFolder);
        world.emplace(maps, stay, random);
        bool entered = false;
        for (std::size_t number = 0; number < maps.size() && !entered; ++number)
            entered = world->Enter(number);
        if (!entered) {
            std::fprintf(stderr, "no map of %s has a cell to stand on\n", worldFolder->c_str());
            return 1;
        }
        if (tellKey) {
            std::printf("key number %X name %X\n", unsigned(world->NumberAddress()), unsigned(world->NameAddress()));
            std::fflush(stdout);
        }
    }
    if (world)
        Store(position, world->At());

    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (std::size_t step = 0; std::chrono::steady_clock::now() < end; ++step) {
        Store(position, world ? world->Step() : route[step % route.size()]);
        for (std::size_t i = 0; i < layout.movingOffMap.size(); ++i)
            Store(layout.movingOffMap[i], walks.blocked[(step * 7 + i * 13) % walks.blocked.size()]);
        std::this_thread::sleep_for(std::chrono::milliseconds(pace));
    }
    return 0;
}
