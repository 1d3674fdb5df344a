// Loads one map file and exits: run under /usr/bin/time -v to see the peak
// memory of a load.
//
//   load_once FILE.map

#include "MapReader.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.map\n", argv[0]);
        return 2;
    }
    const std::optional<MapLoad> map = ReadMapFile(argv[1]);
    if (!map)
        return 1;
    std::printf("%d x %d\n", map->image.Width(), map->image.Height());
    return 0;
}
