// tarvex-route: the shortest walk between two cells of a map file.

#include "base/CellText.h"
#include "map/MapReader.h"
#include "route/Route.h"

#include <cctype>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: tarvex-route MAP X1 Y1 X2 Y2\n"
    "       tarvex-route MAP X1:Y1 X2:Y2\n"
    "\n"
    "Finds a shortest walk on a map file from cell X1:Y1 to cell X2:Y2 (column,\n"
    "row; 0:0 is the top-left cell). A cell is given as two numbers, or as one\n"
    "argument X:Y (as the viewer's Copy Cell gives it) or X,Y. A step goes to\n"
    "one of the 8 neighbouring cells and counts 1 in every direction; every cell\n"
    "can be entered but the blocked (red) ones, flagged (blue) cells included,\n"
    "and a diagonal step may pass between two blocked cells.\n"
    "\n"
    "Prints the number of steps, then the cells X:Y of the walk one per line,\n"
    "both ends included.\n"
    "\n"
    "  -h, --help     show this text\n"
    "      --version  show the version\n"
    "\n"
    "Exit status: 0 when there is a walk; 1 when there is none (\"no route\" is\n"
    "printed, and on standard error why, when an end is blocked or outside the\n"
    "map); 2 when the command line is wrong or the map cannot be read.\n";

constexpr int kFound = 0;
constexpr int kNoRoute = 1;
constexpr int kFailure = 2;

int Fail(const std::string& message)
{
    std::fprintf(stderr, "tarvex-route: %s\n", message.c_str());
    return kFailure;
}

// A command line that names no map and two cells: why, and the hint.
int WrongCommandLine(const std::string& why)
{
    return Fail(why + "\nTry 'tarvex-route --help' for how to give the map and the cells.");
}

// The cells after the map: each one argument X:Y (or X,Y), or two numbers.
// Throws std::invalid_argument with the reason when they are not two cells.
std::vector<Cell> ParseCells(const std::vector<std::string_view>& arguments)
{
    std::vector<Cell> cells;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument.find_first_of(":,") == std::string_view::npos && i + 1 < arguments.size() &&
            arguments[i + 1].find_first_of(":,") == std::string_view::npos) {
            const std::string pair = std::string(argument) + " " + std::string(arguments[i + 1]);
            const std::optional<Cell> cell = ParseCellText(pair);
            if (!cell)
                throw std::invalid_argument("not a cell: \"" + std::string(argument) + "\" \"" +
                                            std::string(arguments[i + 1]) + "\" (two whole numbers X Y, or X:Y)");
            cells.push_back(*cell);
            ++i;
        } else if (argument.find_first_of(":,") == std::string_view::npos) {
            throw std::invalid_argument("\"" + std::string(argument) +
                                        "\" stands alone: a cell is two numbers X Y, or one argument X:Y");
        } else {
            const std::optional<Cell> cell = ParseCellText(argument);
            if (!cell || argument.find_first_of(" \t") != std::string_view::npos)
                throw std::invalid_argument("not a cell: \"" + std::string(argument) +
                                            "\" (give it as X:Y, as the viewer's Copy Cell does, or as two numbers X Y)");
            cells.push_back(*cell);
        }
    }
    if (cells.size() != 2)
        throw std::invalid_argument("give two cells after the map, the start and the goal; " +
                                    std::to_string(cells.size()) + (cells.size() == 1 ? " was" : " were") + " given");
    return cells;
}

std::string CellText(Cell cell)
{
    return std::to_string(cell.x) + ":" + std::to_string(cell.y);
}

// Why an end cannot be on a route, or nothing when it can.
std::optional<std::string> EndFault(const TMatrix& walk, Cell cell)
{
    if (cell.x < 0 || cell.y < 0 || cell.x >= walk.Columns() || cell.y >= walk.Rows())
        return CellText(cell) + " lies outside the map of " + std::to_string(walk.Columns()) + " x " +
               std::to_string(walk.Rows()) + " cells";
    if (!IsWalkable(walk, cell))
        return CellText(cell) + " is blocked";
    return std::nullopt;
}

// Written as it is walked, a line at a time through the output's buffer: a
// route of a hundred million steps never stands in memory as text. False
// when the text did not all reach the output.
bool PrintRoute(const RouteSteps& route)
{
    bool written = std::printf("%zu\n", route.Count()) > 0;
    route.ForEachCell([&written](Cell cell) { written = written && std::printf("%d:%d\n", cell.x, cell.y) > 0; });
    return written;
}

// Why a path that names no regular file is no map file; asking never opens
// it, so a pipe is not waited on.
std::string NotAMapFile(const char* mapPath)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(mapPath, error);
    switch (status.type()) {
    case std::filesystem::file_type::not_found:
        return ": no such map file";
    case std::filesystem::file_type::directory:
        return ": is a folder, not a map file";
    case std::filesystem::file_type::fifo:
        return ": is a pipe, not a map file";
    case std::filesystem::file_type::character:
    case std::filesystem::file_type::block:
        return ": is a device, not a map file";
    case std::filesystem::file_type::socket:
        return ": is a socket, not a map file";
    default:
        return error ? ": cannot be read: " + error.message() : std::string(": no such map file");
    }
}

int FindAndPrint(const char* mapPath, Cell from, Cell to)
{
    MapFileRead read = ReadMapFileTellingWhyNot(mapPath);
    if (!read.map)
        return Fail(std::string(mapPath) + (read.noRegularFile ? NotAMapFile(mapPath) : ": cannot be read: " + read.failure));
    const TMatrix& walk = read.map->matrix;
    std::optional<RouteSteps> route = FindRouteSteps(walk, from, to);
    if (!route) {
        std::puts("no route");
        for (const Cell end : {from, to})
            if (const std::optional<std::string> fault = EndFault(walk, end))
                std::fprintf(stderr, "tarvex-route: %s\n", fault->c_str());
        return kNoRoute;
    }
    if (!PrintRoute(*route) || std::fflush(stdout) != 0)
        return Fail("cannot write the route");
    return kFound;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    for (const std::string_view argument : arguments) {
        if (argument == "-h" || argument == "--help") {
            std::fputs(kUsage, stdout);
            return kFound;
        }
        if (argument == "--version") {
            std::puts("tarvex-route " TARVEX_VERSION);
            return kFound;
        }
    }
    for (const std::string_view argument : arguments)
        if (argument.size() > 1 && argument[0] == '-' && !std::isdigit(static_cast<unsigned char>(argument[1])))
            return WrongCommandLine("unknown option " + std::string(argument));
    if (arguments.empty())
        return WrongCommandLine("no map file given");
    std::vector<Cell> cells;
    try {
        cells = ParseCells({arguments.begin() + 1, arguments.end()});
    } catch (const std::invalid_argument& wrong) {
        return WrongCommandLine(wrong.what());
    }
    try {
        return FindAndPrint(argv[1], cells[0], cells[1]);
    } catch (const std::bad_alloc&) {
        return Fail(std::string(argv[1]) + ": " + kOutOfSystemResources);
    } catch (const std::exception& failure) {
        return Fail(std::string(argv[1]) + ": " + failure.what());
    }
}
