#pragma once
// What makes a list of cells a walk on a map, checked cell by cell without
// the search's own tables, and the maps the route tests, fuzzer and
// benchmark search on.

#include "map/MapFormat.h"
#include "route/Route.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <random>
#include <string>
#include <vector>

inline std::string CellText(Cell cell)
{
    return std::to_string(cell.x) + ":" + std::to_string(cell.y);
}

// How GoogleTest prints a cell.
inline void PrintTo(const Cell& cell, std::ostream* out)
{
    *out << CellText(cell);
}

// Empty when the route starts at `from`, ends at `to`, stays on walkable
// cells and moves to one of the 8 neighbours at every step; else the fault.
inline std::string RouteFault(const TMatrix& walk, const Route& route, Cell from, Cell to)
{
    if (route.empty())
        return "empty route";
    if (route.front() != from)
        return "starts at " + CellText(route.front()) + ", not " + CellText(from);
    if (route.back() != to)
        return "ends at " + CellText(route.back()) + ", not " + CellText(to);
    for (std::size_t i = 0; i < route.size(); ++i) {
        const Cell cell = route[i];
        if (cell.x < 0 || cell.y < 0 || cell.x >= walk.Columns() || cell.y >= walk.Rows())
            return "cell " + CellText(cell) + " lies outside the map";
        if (walk[cell.x][cell.y] == kWalkBlocked)
            return "cell " + CellText(cell) + " is blocked";
        if (i == 0)
            continue;
        const Cell before = route[i - 1];
        if (std::max(std::abs(cell.x - before.x), std::abs(cell.y - before.y)) != 1)
            return "step " + std::to_string(i) + " from " + CellText(before) + " to " + CellText(cell) + " is no step";
    }
    return {};
}

// Each cell blocked with the given chance.
inline TMatrix RandomMatrix(int columns, int rows, double blockedChance, std::mt19937& random)
{
    TMatrix walk(columns, rows);
    std::bernoulli_distribution blocked(blockedChance);
    for (int x = 0; x < columns; ++x)
        for (int y = 0; y < rows; ++y)
            walk[x][y] = blocked(random) ? kWalkBlocked : kWalkOpen;
    return walk;
}

// How a maze of rooms is dug: the block each room lies in, the room's
// sides, how many of the neighbours beyond the maze are joined too (one in
// so many), pillars (blocked cells) in the rooms, the share of flagged cells.
struct MazeShape {
    int blockWidth, blockHeight;
    int minRoomWidth, maxRoomWidth, minRoomHeight, maxRoomHeight;
    int extraLinkOneIn;
    bool pillars;
    double flaggedShare;
};

// Rooms dug out of solid rock, one in each block, joined to neighbouring
// rooms by corridors two cells wide: a maze of corridors that links every
// room (a random depth-first walk over the blocks, a spanning tree), and
// some of the other neighbours linked too.
inline TMatrix RoomMaze(int columns, int rows, std::uint32_t seed, const MazeShape& shape)
{
    TMatrix walk(columns, rows);
    std::fill(walk[0], walk[0] + std::size_t(columns) * std::size_t(rows), kWalkBlocked);
    std::mt19937 random(seed);
    auto between = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto open = [&walk](int left, int top, int width, int height) {
        for (int x = std::max(left, 0); x < std::min(left + width, walk.Columns()); ++x)
            for (int y = std::max(top, 0); y < std::min(top + height, walk.Rows()); ++y)
                walk[x][y] = kWalkOpen;
    };
    const int blockWidth = std::min(shape.blockWidth, columns), blockHeight = std::min(shape.blockHeight, rows);
    const int across = std::max(1, columns / std::max(1, blockWidth)), down = std::max(1, rows / std::max(1, blockHeight));
    auto side = [&](int least, int most, int block) {
        const int low = std::min(least, block);
        return between(low, std::max(low, std::min(most, block - 2)));
    };
    std::vector<Cell> centres;
    for (int blockX = 0; blockX < across; ++blockX) {
        for (int blockY = 0; blockY < down; ++blockY) {
            const int width = side(shape.minRoomWidth, shape.maxRoomWidth, blockWidth);
            const int height = side(shape.minRoomHeight, shape.maxRoomHeight, blockHeight);
            const int left = blockX * blockWidth + between(0, std::max(0, blockWidth - width - 1));
            const int top = blockY * blockHeight + between(0, std::max(0, blockHeight - height - 1));
            open(left, top, width, height);
            for (int pillar = 0; shape.pillars && width > 2 && height > 2 && pillar < width * height / 40; ++pillar)
                walk[between(left + 1, left + width - 2)][between(top + 1, top + height - 2)] = kWalkBlocked;
            centres.push_back({left + width / 2, top + height / 2});
        }
    }
    auto corridor = [&](Cell from, Cell to) {
        open(std::min(from.x, to.x), from.y, std::abs(to.x - from.x) + 1, 2);
        open(to.x, std::min(from.y, to.y), 2, std::abs(to.y - from.y) + 1);
    };
    std::vector<bool> joined(centres.size());
    std::vector<int> path{0};
    joined[0] = true;
    while (!path.empty()) {
        const int block = path.back();
        std::vector<int> fresh;
        for (const int next : {block - down, block + down, block - 1, block + 1}) {
            const bool sameColumn = next / down == block / down;
            const bool neighbour = (std::abs(next - block) == down) || sameColumn;
            if (next >= 0 && next < int(centres.size()) && neighbour && !joined[std::size_t(next)])
                fresh.push_back(next);
        }
        if (fresh.empty()) {
            path.pop_back();
            continue;
        }
        const int next = fresh[std::size_t(between(0, int(fresh.size()) - 1))];
        corridor(centres[std::size_t(block)], centres[std::size_t(next)]);
        joined[std::size_t(next)] = true;
        path.push_back(next);
    }
    for (int block = 0; block < int(centres.size()); ++block) {
        if (block + down < int(centres.size()) && between(1, shape.extraLinkOneIn) == 1)
            corridor(centres[std::size_t(block)], centres[std::size_t(block + down)]);
        if ((block + 1) % down != 0 && between(1, shape.extraLinkOneIn) == 1)
            corridor(centres[std::size_t(block)], centres[std::size_t(block + 1)]);
    }
    std::bernoulli_distribution flagged(shape.flaggedShare);
    for (std::uint8_t *value = walk[0], *end = value + std::size_t(columns) * std::size_t(rows);
         shape.flaggedShare > 0 && value != end; ++value)
        if (*value == kWalkOpen && flagged(random))
            *value = kWalkFlagged;
    return walk;
}

// Rooms of 6 to 24 x 5 to 16 cells in blocks of 32 x 24, a few pillars in
// each, a quarter of the other neighbours linked.
inline TMatrix RoomMaze(int columns, int rows, std::uint32_t seed)
{
    return RoomMaze(columns, rows, seed, {32, 24, 6, 24, 5, 16, 4, true, 0});
}

// Rooms of 10 x 10 cells, 4 cells of rock between them, one in twenty of
// the other neighbours linked, one open cell in twenty flagged: the way
// from one corner to the other winds through most of the map.
inline TMatrix TightMaze(int columns, int rows, std::uint32_t seed)
{
    return RoomMaze(columns, rows, seed, {14, 14, 10, 10, 10, 10, 20, false, 0.05});
}

// Rooms dug at random places, each joined to the one dug before it by a
// corridor two cells wide, as in the sample dungeon: one room per 4000
// cells, so on large maps the corridors cross everywhere.
inline TMatrix ChainedRooms(int columns, int rows, std::uint32_t seed)
{
    TMatrix walk(columns, rows);
    std::fill(walk[0], walk[0] + std::size_t(columns) * std::size_t(rows), kWalkBlocked);
    std::mt19937 random(seed);
    auto between = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, std::max(low, high))(random); };
    auto open = [&walk](int left, int top, int width, int height) {
        for (int x = std::max(left, 0); x < std::min(left + width, walk.Columns()); ++x)
            for (int y = std::max(top, 0); y < std::min(top + height, walk.Rows()); ++y)
                walk[x][y] = kWalkOpen;
    };
    int previousX = columns / 2, previousY = rows / 2;
    const int rooms = int(std::int64_t(columns) * rows / 4000) + 4;
    for (int room = 0; room < rooms; ++room) {
        const int width = between(6, 24), height = between(5, 16);
        const int left = between(1, columns - width - 2), top = between(1, rows - height - 2);
        open(left, top, width, height);
        const int x = left + width / 2, y = top + height / 2;
        open(std::min(x, previousX), previousY, std::abs(x - previousX) + 1, 2);
        open(x, std::min(y, previousY), 2, std::abs(y - previousY) + 1);
        for (int pillar = 0; pillar < width * height / 40; ++pillar) {
            const int pillarX = between(left + 1, left + width - 2), pillarY = between(top + 1, top + height - 2);
            if (pillarX < columns && pillarY < rows)
                walk[pillarX][pillarY] = kWalkBlocked;
        }
        previousX = x;
        previousY = y;
    }
    return walk;
}

// A walkable cell chosen at random; the map must have one.
inline Cell RandomWalkableCell(const TMatrix& walk, std::mt19937& random)
{
    std::uniform_int_distribution<int> column(0, walk.Columns() - 1), row(0, walk.Rows() - 1);
    for (;;) {
        const Cell cell{column(random), row(random)};
        if (walk[cell.x][cell.y] != kWalkBlocked)
            return cell;
    }
}
