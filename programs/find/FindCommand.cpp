// tarvex-find: finds where a game client keeps the player's position, one
// request a line from standard input.

#include "base/HexText.h"
#include "map/MapReader.h"
#include "process/ProcessStartTime.h"
#include "programs/find/FindRequest.h"
#include "route/RouteSteps.h"
#include "track/AddressFinder.h"
#include "track/MapKeyFinder.h"
#include "track/PathsInClient.h"
#include "track/PointerScan.h"

#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <exception>
#include <cerrno>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace {

const char kUsage[] =
    "Usage: tarvex-find PID\n"
    "       tarvex-find PID --paths ADDRESS\n"
    "       tarvex-find PID --resolve PATH\n"
    "       tarvex-find PID --map-key\n"
    "\n"
    "Finds the address at which the game client with process identifier PID\n"
    "keeps the player's position: x and y as unsigned 16-bit little-endian\n"
    "numbers, y right after x, as the viewer's tracker reads them. The client\n"
    "is only read, never stopped or written to; memory above 4 GiB, which the\n"
    "tracker cannot reach, is not searched.\n"
    "\n"
    "Reads one request a line from standard input:\n"
    "  X:Y           the player is at X:Y: keep the places holding that pair\n"
    "                (the first request searches all the client's memory)\n"
    "  map FILE.map  keep the places holding a cell of that map the player\n"
    "                can stand on (a first search needs no position at all);\n"
    "                moved then keeps only pairs on such cells\n"
    "  moved         the player has moved: keep the places whose pair changed\n"
    "  still         the player stood still: keep those whose pair did not\n"
    "  list          print up to 100 places as ADDRESS X:Y\n"
    "  reset         forget the places and start over\n"
    "A request is one line of at most 4096 bytes. After each request, also\n"
    "one that could not be carried out (the reason goes to standard error), it\n"
    "prints the number of places left on a line of its own. A place left\n"
    "alone is the address to type into the viewer.\n"
    "\n"
    "With --map-key, finds where the client keeps which map the player is on:\n"
    "a 16- or 32-bit number or the map's name as text, whose bytes stay the\n"
    "same while the player stays on one map and change when the map changes.\n"
    "Its requests:\n"
    "  changed       the map changed since the last request\n"
    "  same          it did not\n"
    "  list          print up to 100 places, texts first, as ADDRESS FORM KEY\n"
    "                (FORM: text, u32 or u16; KEY: the number, or the text in\n"
    "                quotes)\n"
    "The first request takes every place there is; each later one narrows.\n"
    "\n"
    "With --paths, prints the pointer paths that lead from the client's\n"
    "program and libraries to ADDRESS (hexadecimal), shortest first, at most\n"
    "1000, one a line, such as \"Client.exe+1A2B3C -> +10 -> +8\": they find the\n"
    "position again after the client restarts. With --resolve, prints the\n"
    "address such a PATH lands on now.\n"
    "\n"
    "  -h, --help     show this text\n"
    "      --version  show the version\n"
    "\n"
    "Exit status: 0 at the end of input, or with the paths or the address;\n"
    "1 when no path was found or PATH does not resolve (the step that failed\n"
    "on standard error); 2 when the command line is wrong or the process\n"
    "cannot be read (the reason on standard error).\n";

constexpr int kDone = 0;
constexpr int kNotFound = 1;
constexpr int kFailure = 2;
constexpr std::size_t kListed = 100;
constexpr std::size_t kLongestRequest = 4096;
// Input with no line end this far after a request's start is taken for
// something other than requests.
constexpr std::size_t kLongestLine = 1 << 20;

void Complain(const std::string& message)
{
    std::fprintf(stderr, "tarvex-find: %s\n", message.c_str());
}

// The text with the bytes a terminal would act on written as \xNN, and also
// every byte outside printable ASCII where asked.
std::string Escaped(std::string_view text, bool asciiOnly)
{
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '"' || c == '\\' || (asciiOnly && byte >= 0x80)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

enum class LineRead { Request, TooLong, NotLines, End, Failed };

// One request line from standard input, cut at kLongestRequest bytes.
LineRead ReadRequestLine(std::string& line)
{
    line.clear();
    std::size_t length = 0;
    for (int c; (c = std::getchar()) != EOF && c != '\n';) {
        if (++length > kLongestLine)
            return LineRead::NotLines;
        if (line.size() < kLongestRequest)
            line += char(c);
    }
    if (std::ferror(stdin))
        return LineRead::Failed;
    if (length == 0 && std::feof(stdin))
        return LineRead::End;
    return length > kLongestRequest ? LineRead::TooLong : LineRead::Request;
}

// Hands each request line to carry until the input ends (true), carry says
// stop, or the input cannot be read as lines (false, told). A line too long
// is told and handed on as std::nullopt.
template <typename Carry>
bool ForEachRequest(Carry carry)
{
    std::string line;
    for (;;) {
        switch (ReadRequestLine(line)) {
        case LineRead::End:
            return true;
        case LineRead::Failed:
            Complain(std::string("cannot read the requests: ") + std::strerror(errno));
            return false;
        case LineRead::NotLines:
            Complain("the input is not lines of text: no line end in " + std::to_string(kLongestLine >> 20) + " MiB");
            return false;
        case LineRead::TooLong:
            Complain("a request is at most " + std::to_string(kLongestRequest) + " bytes long: that line was skipped");
            if (!carry(std::nullopt))
                return false;
            break;
        case LineRead::Request:
            if (!carry(std::string_view(line)))
                return false;
            break;
        }
    }
}

class FindSession {
public:
    explicit FindSession(const ProcessReader& reader) : finder_(reader) {}

    // Carries the request out, or says why not, then prints the count. No
    // request: a line that was refused.
    void Run(std::optional<std::string_view> request)
    {
        if (const std::optional<FinderOutcome> outcome = request ? Carry(*request) : std::nullopt)
            Tell(*outcome);
        std::printf("%llu\n", static_cast<unsigned long long>(finder_.Count()));
        std::fflush(stdout);
    }

private:
    std::optional<FinderOutcome> Carry(std::string_view line)
    {
        const FindRequest request = ParseFindRequest(line);
        switch (request.kind) {
        case FindRequest::Kind::Position:
            return finder_.KeepPosition(request.x, request.y, progress_);
        case FindRequest::Kind::Map:
            return UseMap(request.text);
        case FindRequest::Kind::Reset:
            finder_.Forget();
            cells_ = {};
            return std::nullopt;
        case FindRequest::Kind::List:
            for (const FoundPlace& place : finder_.First(kListed))
                std::printf("%s %u:%u\n", HexText(place.address, 8).c_str(), unsigned(place.x), unsigned(place.y));
            return std::nullopt;
        case FindRequest::Kind::Unknown:
            Complain("not a request: \"" + Escaped(request.text, false) + "\" (X:Y, map FILE.map, moved, still, list or reset)");
            return std::nullopt;
        case FindRequest::Kind::Moved:
        case FindRequest::Kind::Still:
            break;
        }
        if (!finder_.HasScanned()) {
            Complain("\"" + FindRequestLine(request) + "\" needs a search first: give the position as X:Y, or a map");
            return std::nullopt;
        }
        return request.kind == FindRequest::Kind::Moved ? finder_.KeepMoved(cells_, progress_) : finder_.KeepStill(progress_);
    }

    std::optional<FinderOutcome> UseMap(std::string_view path)
    {
        const std::string why = ReadStandableCells(std::string(path));
        if (!why.empty()) {
            Complain(Escaped(path, false) + ": " + why);
            return std::nullopt;
        }
        return finder_.KeepOnMap(cells_, progress_);
    }

    // Reads the map's standable cells into cells_; why not when it cannot.
    std::string ReadStandableCells(const std::string& path)
    {
        std::error_code error;
        const std::filesystem::file_type type = std::filesystem::status(path, error).type();
        if (type == std::filesystem::file_type::not_found)
            return "no such map file";
        if (type == std::filesystem::file_type::directory)
            return "a folder, not a map file";
        if (!error && type != std::filesystem::file_type::regular)
            return "not a regular file (a pipe or a device), not a map file";
        try {
            MapFileRead read = ReadMapFileTellingWhyNot(path);
            if (!read.map)
                return "cannot be read: " + read.failure;
            if (read.map->matrix.Columns() == 0 || read.map->matrix.Rows() == 0)
                return "not a map: it holds no cells";
            cells_ = StandableCellsOf(read.map->matrix);
        } catch (const std::bad_alloc&) {
            return std::string("cannot be read: ") + kOutOfSystemResources;
        } catch (const std::runtime_error& failure) {
            return std::string("cannot be read: ") + failure.what();
        }
        return {};
    }

    static void Tell(const FinderOutcome& outcome)
    {
        if (outcome.bytesAboveReach > 0)
            Complain(std::to_string((outcome.bytesAboveReach + 1023) >> 10) +
                     " KiB of writable memory above 4 GiB were not searched: the tracker reads below 4 GiB only");
        if (outcome.bytesNeverAnswering > 0)
            Complain(std::to_string((outcome.bytesNeverAnswering + 1023) >> 10) +
                     " KiB of memory that the client fills in itself (userfaultfd) were left alone: a read of it "
                     "would wait for ever");
        if (outcome.tooMany)
            Complain("so many places hold such a position that they would take more than " +
                     std::to_string(kMaxFinderMiB) + " MiB: give the position as X:Y instead");
    }

    AddressFinder finder_;
    FinderProgress progress_;
    StandableCells cells_;
};

// A key as list prints it: the number, or the text in quotes with every
// byte outside printable ASCII escaped.
std::string ShownKey(const FoundMapKey& found)
{
    if (found.place.form != MapKeyForm::Text)
        return std::to_string(MapKeyNumber(found.key));
    return "\"" + Escaped(found.key, true) + "\"";
}

// The reader of the process, or why there is none (told on standard error).
std::unique_ptr<ProcessReader> OpenProcess(std::int32_t processId)
{
    if (!ProcessStartTime(std::uint32_t(processId))) {
        Complain("no process has the identifier " + std::to_string(processId));
        return nullptr;
    }
    auto reader = std::make_unique<ProcessReader>(processId);
    if (!reader->Refusal().empty()) {
        Complain("cannot read process " + std::to_string(processId) + ": " + reader->Refusal());
        return nullptr;
    }
    return reader;
}

// Carries out each request line with carry, the count printed after each;
// ends with the input, or when the process has ended.
template <typename Carry>
int ServeRequests(const ProcessReader& reader, Carry carry)
{
    bool ended = false;
    const bool whole = ForEachRequest([&](std::optional<std::string_view> line) {
        const std::optional<std::string_view> request = line ? std::optional(TrimmedRequest(*line)) : std::nullopt;
        if (request && request->empty())
            return true;
        ended = !reader.IsRunning();
        if (!ended)
            carry(request);
        ended = ended || !reader.IsRunning();
        if (ended)
            Complain("process " + std::to_string(reader.ProcessId()) + " has ended");
        return !ended;
    });
    return whole && !ended ? kDone : kFailure;
}

int FindMapKeyIn(std::int32_t processId)
{
    const std::unique_ptr<ProcessReader> reader = OpenProcess(processId);
    if (!reader)
        return kFailure;
    MapKeyFinder finder(*reader);
    FinderProgress progress;
    return ServeRequests(*reader, [&](std::optional<std::string_view> request) {
        if (!request) {
            // refused already
        } else if (request != "changed" && request != "same" && request != "list") {
            Complain("not a request: \"" + Escaped(*request, false) + "\" (changed, same or list)");
        } else if (!finder.HasLooked()) {
            finder.Look(progress);
        } else if (request == "changed") {
            finder.KeepChanged(progress);
        } else if (request == "same") {
            finder.KeepSame(progress);
        }
        if (request == "list")
            for (const FoundMapKey& found : finder.First(kListed))
                std::printf("%s %s %s\n", HexText(found.place.address, 8).c_str(), MapKeyFormName(found.place.form), ShownKey(found).c_str());
        std::printf("%llu\n", static_cast<unsigned long long>(finder.Count()));
        std::fflush(stdout);
    });
}

std::optional<std::int32_t> ParseProcessId(std::string_view text)
{
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0)
        return std::nullopt;
    return value;
}

int FindIn(std::int32_t processId)
{
    const std::unique_ptr<ProcessReader> reader = OpenProcess(processId);
    if (!reader)
        return kFailure;
    FindSession session(*reader);
    return ServeRequests(*reader, [&session](std::optional<std::string_view> request) { session.Run(request); });
}

// The client opened to follow paths in it, or why it cannot be (told on
// standard error).
bool CanFollowPathsIn(const PathsInClient& client)
{
    if (client.Failure().empty())
        return true;
    Complain(client.Refused() ? "cannot read process " + std::to_string(client.Reader().ProcessId()) + ": " + client.Failure()
                              : client.Failure());
    return false;
}

int PrintPaths(std::int32_t processId, std::uint64_t address)
{
    const PathsInClient client(processId);
    if (!CanFollowPathsIn(client))
        return kFailure;
    const std::atomic<bool> never{false};
    const std::vector<PointerAt> pointers = IndexPointers(client.Reader(), client.Modules().pointerWidth, never, {});
    const std::vector<PointerPath> paths = FindPointerPaths(pointers, client.Modules().modules, address, {}, never);
    for (const PointerPath& path : paths)
        std::puts(FormatPointerPath(path).c_str());
    if (paths.empty()) {
        Complain("no pointer path leads to that address");
        return kNotFound;
    }
    return kDone;
}

int PrintResolved(std::int32_t processId, std::string_view text)
{
    const ParsedPointerPath parsed = ParsePointerPath(text);
    if (!parsed.path) {
        Complain(parsed.failure);
        return kFailure;
    }
    const PathsInClient client(processId);
    if (!CanFollowPathsIn(client))
        return kFailure;
    const ResolvedPointerPath resolved = client.Resolve(*parsed.path);
    if (!resolved.address) {
        Complain(resolved.failure);
        return kNotFound;
    }
    std::puts(HexText(*resolved.address).c_str());
    return kDone;
}

int Run(int argc, char** argv)
{
    const std::optional<std::int32_t> processId = argc >= 2 ? ParseProcessId(argv[1]) : std::nullopt;
    if (processId && argc == 2)
        return FindIn(*processId);
    if (processId && argc == 4 && std::string_view(argv[2]) == "--paths") {
        if (const std::optional<std::uint64_t> address = ParseHexNumber(argv[3]))
            return PrintPaths(*processId, *address);
    }
    if (processId && argc == 4 && std::string_view(argv[2]) == "--resolve")
        return PrintResolved(*processId, argv[3]);
    if (processId && argc == 3 && std::string_view(argv[2]) == "--map-key")
        return FindMapKeyIn(*processId);
    std::fputs(kUsage, stderr);
    return kFailure;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            std::fputs(kUsage, stdout);
            return kDone;
        }
        if (argument == "--version") {
            std::puts("tarvex-find " TARVEX_VERSION);
            return kDone;
        }
    }
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        Complain(kOutOfSystemResources);
        return kFailure;
    } catch (const std::exception& failure) {
        Complain(failure.what());
        return kFailure;
    }
}
