#pragma once
// A cell of a map: its column x and its row y, counted from 0 at the top
// left.

struct Cell {
    int x = 0;
    int y = 0;

    bool operator==(const Cell& other) const { return x == other.x && y == other.y; }
    bool operator!=(const Cell& other) const { return !(*this == other); }
};
