// maze_file: writes a tight maze of rooms (the route benchmark's) as a map
// file of SIDE x SIDE cells, and prints two of its cells far apart: the
// walkable cells nearest the top-left and the bottom-right corners.
//
//   maze_file PATH SIDE

#include "map/MapFormat.h"
#include "tests/support/RouteMaps.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

Cell NearestWalkable(const TMatrix& walk, int cornerX, int cornerY)
{
    for (int distance = 0;; ++distance)
        for (int step = 0; step <= distance; ++step) {
            const int x = std::abs(cornerX - step), y = std::abs(cornerY - (distance - step));
            if (x < walk.Columns() && y < walk.Rows() && walk[x][y] != kWalkBlocked)
                return {x, y};
        }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const int side = std::atoi(argv[2]);
    const TMatrix walk = TightMaze(side, side, 4000);
    std::vector<std::uint8_t> bytes(std::size_t(CellOffset(side, 0, side)));
    TMapHeader header;
    header.SetSize(side, side);
    std::copy(header.bytes.begin(), header.bytes.end(), bytes.begin());
    for (int x = 0; x < side; ++x) {
        for (int y = 0; y < side; ++y) {
            TMapCell cell;
            cell.SetBlockingValue(walk[x][y] == kWalkBlocked ? 255 : 0);
            cell.SetFlagged(walk[x][y] == kWalkFlagged);
            std::copy(cell.bytes.begin(), cell.bytes.end(), bytes.begin() + CellOffset(x, y, side));
        }
    }
    std::ofstream(argv[1], std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    const Cell from = NearestWalkable(walk, 0, 0), to = NearestWalkable(walk, side - 1, side - 1);
    std::printf("%d %d %d %d\n", from.x, from.y, to.x, to.y);
    return 0;
}
