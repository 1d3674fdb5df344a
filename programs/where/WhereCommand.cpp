// tarvex-where: which map of a folder the player is on, from positions given
// or read from a running game client.

#include "atlas/MapAtlas.h"
#include "atlas/MapIdentifier.h"
#include "base/CellText.h"
#include "map/MapReader.h"
#include "process/ProcessList.h"
#include "process/ProcessReader.h"
#include "process/ProcessStartTime.h"
#include "track/MapKeyFinder.h"
#include "track/PathsInClient.h"
#include "track/Tracker.h"
#include "track/TrackingFile.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: tarvex-where FOLDER X:Y [X:Y ...]\n"
    "       tarvex-where FOLDER CLIENT [CLIENT ...] [--interval MS]\n"
    "  where CLIENT is --pid PID --address ADDRESS, or --track FILE [--pid PID]\n"
    "\n"
    "Tells which map of FOLDER (its \".map\" files) the player is on: a map on\n"
    "which the player can stand at every position (a cell inside the map that\n"
    "is open or flagged, as a route enters it). Map files are not read whole:\n"
    "only their sizes and the cells asked about.\n"
    "\n"
    "With positions (X:Y or X,Y; 0:0 is the top-left cell), prints the maps on\n"
    "which every position is standable, one file name a line.\n"
    "\n"
    "With a process, follows the player of the game client PID: x and y read\n"
    "at ADDRESS (hexadecimal) every MS milliseconds (1000 unless told), or where\n"
    "the tracking FILE's pointer path lands in the running process of its\n"
    "program (--pid picks one when several run). A failed read (0:0) is not\n"
    "counted; a jump (a teleport, a door) starts telling anew. A tracking file\n"
    "that keeps the client's map key and the maps learned for it tells the map\n"
    "at once. Prints a line whenever the position or the map changes:\n"
    "  NAME X:Y         the player is on the map NAME\n"
    "  ? X:Y (N maps)   N maps fit the positions seen since the last change\n"
    "  - X:Y            no map of the folder fits\n"
    "With several clients, each line begins with the client's program and\n"
    "process identifier and a colon (\"Client.exe 4242: NAME X:Y\"), and a\n"
    "client that ends says \"ended\" so.\n"
    "The clients are only read, never stopped or written to.\n"
    "\n"
    "  -h, --help     show this text\n"
    "      --version  show the version\n"
    "\n"
    "Exit status: with positions, 0 when exactly one map fits and 1 when\n"
    "several or none do; with processes, 0 when every one has ended; 2 when\n"
    "the command line is wrong, the folder cannot be listed or a process cannot\n"
    "be read (the reason on standard error).\n";

constexpr int kOneMap = 0;
constexpr int kNotOneMap = 1;
constexpr int kFailure = 2;

class Failure : public std::runtime_error {
    using std::runtime_error::runtime_error;
};
// A command line that cannot be understood: told with the hint to --help.
class WrongCommandLine : public Failure {
    using Failure::Failure;
};

int Complain(const std::string& message)
{
    std::fprintf(stderr, "tarvex-where: %s\n", message.c_str());
    return kFailure;
}

void PrintLine(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    if (std::fflush(stdout) != 0)
        throw Failure("cannot write the output");
}

// A map's file name as the terminal shows names; as UTF-8 where the
// system's code page has no letters for it.
std::string NameOf(const std::filesystem::path& name)
{
    try {
        return name.string();
    } catch (const std::exception&) {
        const auto text = name.u8string();
        return std::string(text.begin(), text.end());
    }
}

MapAtlas AtlasOf(const std::string& folder)
{
    try {
        return MapAtlas(folder);
    } catch (const std::runtime_error& failure) {
        throw Failure("cannot list the folder " + folder + ": " + failure.what());
    }
}

int PrintMapsFitting(const std::string& folder, const std::vector<std::string_view>& texts)
{
    std::vector<Cell> positions;
    for (const std::string_view text : texts) {
        const std::optional<Cell> cell = ParseCellText(text);
        if (!cell || text.find(' ') != std::string_view::npos)
            throw WrongCommandLine("not a position: \"" + std::string(text) + "\" (give it as X:Y)");
        positions.push_back(*cell);
    }
    const MapAtlas atlas = AtlasOf(folder);
    int fitting = 0;
    for (const AtlasMap& map : atlas.Maps()) {
        if (std::all_of(positions.begin(), positions.end(), [&](Cell cell) { return atlas.Standable(map, cell.x, cell.y); })) {
            PrintLine(NameOf(map.name));
            ++fitting;
        }
    }
    return fitting == 1 ? kOneMap : kNotOneMap;
}

struct Client {
    std::string program; // its name as the process list shows it
    std::string name;    // the player's, as a tracking file names it; empty: none
    std::int32_t processId = 0;
    std::uint32_t address = 0;
    std::optional<MapKeyPlace> mapKey;
    MapIdentifier::LearnedMaps learnedMaps;
};

std::int32_t ProcessIdOf(std::string_view text)
{
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0)
        throw WrongCommandLine("not a process identifier: \"" + std::string(text) + "\"");
    return value;
}

bool SameProgram(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// The one running process of the program, or the one --pid names.
std::int32_t ClientOf(const std::string& program, std::optional<std::int32_t> chosen)
{
    if (chosen)
        return *chosen;
    std::vector<std::uint32_t> found;
    for (const ProcessEntry& process : SnapshotProcesses())
        if (SameProgram(process.exeFile, program))
            found.push_back(process.processId);
    if (found.empty())
        throw Failure("no running process is named \"" + program + "\": start the game client first");
    if (found.size() > 1) {
        std::string identifiers;
        for (const std::uint32_t id : found)
            identifiers += " " + std::to_string(id);
        throw Failure("several processes are named \"" + program + "\" (" + identifiers.substr(1) +
                      "): choose one with --pid");
    }
    return std::int32_t(found.front());
}

Client ClientOfTrackingFile(const std::string& file, std::optional<std::int32_t> chosen)
{
    const TrackingFileRead read = ReadTrackingFile(file);
    if (!read.file)
        throw Failure(file + ": " + read.failure);
    Client client;
    client.program = read.file->program;
    client.name = read.file->name;
    client.processId = ClientOf(read.file->program, chosen);
    const TrackedPlayerPlaces places = ResolveTrackedPlayer(client.processId, *read.file);
    const ResolvedPointerPath& resolved = places.position;
    if (!resolved.address)
        throw Failure(resolved.failure);
    if (*resolved.address > 0xFFFFFFFFu)
        throw Failure("the tracking file's path lands above 4 GiB, where the position cannot be read");
    client.address = std::uint32_t(*resolved.address);
    if (read.file->mapKey) {
        const ResolvedPointerPath& key = *places.mapKey;
        if (!key.address || *key.address > 0xFFFFFFFFu)
            throw Failure("the tracking file's map key cannot be followed: " + (key.address ? "it lies above 4 GiB" : key.failure));
        client.mapKey = MapKeyPlace{std::uint32_t(*key.address), read.file->mapKey->form};
    }
    for (const auto& [key, map] : read.file->learnedMaps)
        client.learnedMaps[key] = std::filesystem::u8path(map);
    return client;
}

std::string Line(const MapIdentifier& identifier, const PlayerPosition& position)
{
    const std::string cell = std::to_string(position.x) + ":" + std::to_string(position.y);
    switch (identifier.Verdict()) {
    case MapVerdict::Known:
        return NameOf(*identifier.Shown()) + " " + cell;
    case MapVerdict::Ambiguous:
        return "? " + cell + " (" + std::to_string(identifier.Candidates().size()) + " maps)";
    case MapVerdict::NotInFolder:
        return "- " + cell;
    case MapVerdict::NoPosition:
        break;
    }
    return std::string();
}

// One client followed: its reader and the maps its positions fit.
struct Followed {
    Followed(const Client& told, const MapAtlas& atlas)
        : client(told), reader(told.processId), startTime(ProcessStartTime(std::uint32_t(told.processId))), identifier(atlas)
    {
        if (!reader.Refusal().empty())
            throw Failure("cannot read process " + std::to_string(client.processId) + ": " + reader.Refusal());
        identifier.Learn(client.learnedMaps);
    }
    // The line for this tick; empty while there is nothing to tell.
    std::string Tick()
    {
        const PlayerPosition position = ReadPlayerPosition(client.processId, startTime.value_or(0), client.address);
        identifier.See(position.x, position.y, client.mapKey ? ReadMapKey(reader, *client.mapKey) : std::nullopt);
        return Line(identifier, position);
    }

    Client client;
    ProcessReader reader;
    std::optional<std::uint64_t> startTime;
    MapIdentifier identifier;
    std::string lastLine;
    bool ended = false;
};

std::string ProgramNameOf(std::int32_t processId)
{
    for (const ProcessEntry& process : SnapshotProcesses())
        if (process.processId == std::uint32_t(processId))
            return process.exeFile;
    return "process";
}

int Follow(const std::string& folder, std::vector<Client> clients, std::chrono::milliseconds interval)
{
    MapAtlas atlas = AtlasOf(folder);
    std::vector<std::unique_ptr<Followed>> followed;
    const bool several = clients.size() > 1;
    for (Client& client : clients) {
        if (several && client.program.empty())
            client.program = ProgramNameOf(client.processId);
        followed.push_back(std::make_unique<Followed>(client, atlas));
    }
    const auto tell = [several](const Followed& one, const std::string& line) {
        const std::string player =
            one.client.name.empty() ? one.client.program + " " + std::to_string(one.client.processId) : one.client.name;
        PrintLine(several ? player + ": " + line : line);
    };
    const int ticksBetweenLooks = int(std::max<long long>(1, 5000 / std::max<long long>(1, interval.count())));
    for (int tick = 1;; ++tick) {
        if (tick % ticksBetweenLooks == 0) {
            const AtlasChanges changes = atlas.Refresh();
            for (const auto& one : followed)
                one->identifier.Update(changes);
        }
        bool anyRunning = false;
        for (const auto& one : followed) {
            if (one->ended)
                continue;
            if (!one->reader.IsRunning()) { // the process it opened: not a later one given its identifier
                one->ended = true;
                if (several)
                    tell(*one, "ended");
                continue;
            }
            anyRunning = true;
            const std::string line = one->Tick();
            if (!line.empty() && line != one->lastLine)
                tell(*one, line);
            one->lastLine = line;
        }
        if (!anyRunning)
            return kOneMap;
        std::this_thread::sleep_for(interval);
    }
}

// FOLDER followed by clients (--pid with --address, or --track with an
// optional --pid) and --interval, in any order: a --pid belongs to the
// client before it that has none, an --address to the one with a --pid and
// neither an address nor a tracking file.
int FollowAsTold(const std::string& folder, const std::vector<std::string_view>& options)
{
    struct Told {
        std::optional<std::int32_t> processId;
        std::optional<std::uint32_t> address;
        std::optional<std::string> trackingFile;
    };
    std::vector<Told> told;
    long long intervalMs = 1000;
    for (std::size_t i = 0; i < options.size(); i += 2) {
        const std::string_view option = options[i];
        if (i + 1 >= options.size())
            throw WrongCommandLine(std::string(option) + " needs a value");
        const std::string_view value = options[i + 1];
        if (option == "--pid") {
            if (told.empty() || told.back().processId)
                told.emplace_back();
            told.back().processId = ProcessIdOf(value);
        } else if (option == "--address") {
            if (told.empty() || told.back().address)
                told.emplace_back();
            if (told.back().trackingFile)
                throw WrongCommandLine("give --address or --track for a client, not both");
            told.back().address = ParseHexAddress(value);
            if (!told.back().address)
                throw WrongCommandLine("not an address: \"" + std::string(value) + "\" (hexadecimal, at most 8 digits)");
        } else if (option == "--track") {
            if (told.empty() || told.back().trackingFile || told.back().address)
                told.emplace_back();
            told.back().trackingFile = std::string(value);
        } else if (option == "--interval") {
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), intervalMs);
            if (error != std::errc() || end != value.data() + value.size() || intervalMs < 10 || intervalMs > 3600000)
                throw WrongCommandLine("not an interval: \"" + std::string(value) + "\" (milliseconds, 10 to 3600000)");
        } else {
            throw WrongCommandLine("unknown option " + std::string(option));
        }
    }
    if (told.empty())
        throw WrongCommandLine("give the process with --pid and where it keeps the position with --address (or --track)");
    std::vector<Client> clients;
    for (const Told& one : told) {
        if (one.trackingFile) {
            clients.push_back(ClientOfTrackingFile(*one.trackingFile, one.processId));
            continue;
        }
        if (!one.processId || !one.address)
            throw WrongCommandLine("give the process with --pid and where it keeps the position with --address (or --track)");
        Client client;
        client.processId = *one.processId;
        client.address = *one.address;
        clients.push_back(client);
    }
    return Follow(folder, std::move(clients), std::chrono::milliseconds(intervalMs));
}

int Run(const std::vector<std::string_view>& arguments)
{
    if (arguments.empty())
        throw WrongCommandLine("no folder given");
    const std::string folder(arguments.front());
    const std::vector<std::string_view> rest(arguments.begin() + 1, arguments.end());
    if (rest.empty())
        throw WrongCommandLine("give the positions, or the process to follow");
    if (rest.front().substr(0, 2) == "--")
        return FollowAsTold(folder, rest);
    return PrintMapsFitting(folder, rest);
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    for (const std::string_view argument : arguments) {
        if (argument == "-h" || argument == "--help") {
            std::fputs(kUsage, stdout);
            return kOneMap;
        }
        if (argument == "--version") {
            std::puts("tarvex-where " TARVEX_VERSION);
            return kOneMap;
        }
    }
    try {
        return Run(arguments);
    } catch (const WrongCommandLine& wrong) {
        return Complain(std::string(wrong.what()) + "\nTry 'tarvex-where --help' for how to give the folder and the positions.");
    } catch (const std::bad_alloc&) {
        return Complain(kOutOfSystemResources);
    } catch (const std::exception& failure) {
        return Complain(failure.what());
    }
}
