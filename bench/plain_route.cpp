// plain_route: a shortest walk on a map file written plainly, the program
// tarvex-route is timed against as a whole: the file read whole with fread,
// the walkability made by the map format's rule, a plain breadth-first
// search (a queue of cells, a bit per cell seen, the step into each, stop at
// the goal), the route printed as tarvex-route prints it.
//
//   plain_route MAP X1 Y1 X2 Y2

#include "map/MapFormat.h"
#include "route/Route.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: plain_route MAP X1 Y1 X2 Y2\n");
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "rb");
    if (!file) {
        std::perror(argv[1]);
        return 2;
    }
    std::fseek(file, 0, SEEK_END);
    std::vector<unsigned char> bytes(std::size_t(std::ftell(file)));
    std::rewind(file);
    const std::size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (read != bytes.size())
        return 2;
    if (bytes.size() < std::size_t(kMapHeaderSize))
        return 2;
    TMapHeader header;
    std::memcpy(header.bytes.data(), bytes.data(), header.bytes.size());
    const int width = header.Width(), height = header.Height();
    if (bytes.size() < std::size_t(CellOffset(width, 0, height)))
        return 2;
    TMatrix walk(width, height, Uninitialized{});
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            TMapCell cell;
            std::memcpy(cell.bytes.data(), &bytes[std::size_t(CellOffset(x, y, height))], cell.bytes.size());
            walk[x][y] = cell.IsFlagged() ? kWalkFlagged : cell.IsBlocked() ? kWalkBlocked : kWalkOpen;
        }
    }
    const Cell from{std::atoi(argv[2]), std::atoi(argv[3])}, to{std::atoi(argv[4]), std::atoi(argv[5])};
    const std::optional<Route> route = FindRouteBreadthFirst(walk, from, to);
    if (!route) {
        std::puts("no route");
        return 1;
    }
    std::printf("%zu\n", route->size() - 1);
    for (const Cell& cell : *route)
        std::printf("%d:%d\n", cell.x, cell.y);
    return 0;
}
