// tarvex-route: the shortest walk between two cells of a map file.

#include "MapReader.h"
#include "Route.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace {

const char kUsage[] =
    "Usage: tarvex-route MAP X1 Y1 X2 Y2\n"
    "\n"
    "Finds a shortest walk on a map file from cell X1:Y1 to cell X2:Y2 (column,\n"
    "row; 0:0 is the top-left cell). A step goes to one of the 8 neighbouring\n"
    "cells and counts 1 in every direction; every cell can be entered but the\n"
    "blocked (red) ones, flagged (blue) cells included, and a diagonal step may\n"
    "pass between two blocked cells.\n"
    "\n"
    "Prints the number of steps, then the cells X:Y of the walk one per line,\n"
    "both ends included.\n"
    "\n"
    "  -h, --help  show this text\n"
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

std::optional<int> ParseCoordinate(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
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
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            std::fputs(kUsage, stdout);
            return kFound;
        }
    }
    if (argc != 6) {
        std::fputs(kUsage, stderr);
        return kFailure;
    }
    int coordinates[4];
    for (int i = 0; i < 4; ++i) {
        const std::optional<int> value = ParseCoordinate(argv[i + 2]);
        if (!value)
            return Fail(std::string("not a cell coordinate: \"") + argv[i + 2] + "\"");
        coordinates[i] = *value;
    }
    try {
        return FindAndPrint(argv[1], {coordinates[0], coordinates[1]}, {coordinates[2], coordinates[3]});
    } catch (const std::bad_alloc&) {
        return Fail(std::string(argv[1]) + ": " + kOutOfSystemResources);
    } catch (const std::exception& failure) {
        return Fail(std::string(argv[1]) + ": " + failure.what());
    }
}
