#include "map/MapReader.h"
#include "route/Route.h"
#include "route/RouteGrid.h"
#include "route/RouteWaves.h"
#include "tests/support/MapBytes.h"
#include "tests/support/RouteMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <sstream>
#include <stdexcept>

namespace {

// The bits the search reads say of every cell what its value says, and of
// every cell past the edges that it is blocked, whatever the map's size; a
// tile's place and bit lead back to the cell.
TEST(RouteGridTest, EveryCellsBitIsItsWalkability)
{
    std::mt19937 random(9);
    for (const int columns : {1, 5, 8, 9, 17})
        for (const int rows : {1, 7, 8, 9, 63, 64, 65, 130}) {
            TMatrix walk = RandomMatrix(columns, rows, 0.4, random);
            walk[columns / 2][rows / 2] = kWalkFlagged;
            const RouteGrid grid(walk);
            for (int x = -9; x <= columns + 8; ++x)
                for (int y = -9; y <= rows + 8; ++y) {
                    const Cell cell{x, y};
                    ASSERT_EQ(grid.IsWalkable(cell), IsWalkable(walk, cell)) << columns << " x " << rows << ", " << CellText(cell);
                    if (x >= 0 && y >= 0) {
                        ASSERT_EQ(RouteGrid::CellOf(RouteGrid::TileOf(cell), RouteGrid::BitOf(cell)), cell);
                    }
                }
        }
}

} // namespace
