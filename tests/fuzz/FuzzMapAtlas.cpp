// Any bytes as a map file in a folder: every cell the atlas reads by itself
// must be standable exactly where a whole read of the file gives a cell that
// is not blocked (or flagged), and nothing outside the map may be.

#include "atlas/MapAtlas.h"
#include "tests/support/MapBytes.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

constexpr std::int64_t kMaxFuzzCells = 1 << 12; // every cell is asked, each with a read

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string file(reinterpret_cast<const char*>(data), size);
    TMapHeader header;
    PositionedRead(file, 0, header.bytes);
    const int width = header.Width(), height = header.Height();
    if (std::int64_t(width) * height > kMaxFuzzCells)
        return 0;
    const PositionedReadMap reference = ReadByPositionedReads(file);
    static const std::filesystem::path folder = [] {
        const auto made = std::filesystem::temp_directory_path() / ("tarvex-fuzz-atlas-" + std::to_string(::getpid()));
        std::filesystem::create_directories(made);
        return made;
    }();
    std::ofstream(folder / "any.map", std::ios::binary | std::ios::trunc).write(file.data(), std::streamsize(file.size()));
    const MapAtlas atlas(folder);
    Check(atlas.Maps().size() == 1 && atlas.Maps()[0].width == width && atlas.Maps()[0].height == height);
    const AtlasMap& map = atlas.Maps()[0];
    for (int x = -1; x <= width; ++x)
        for (int y = -1; y <= height; ++y) {
            const bool inside = x >= 0 && y >= 0 && x < width && y < height;
            Check(atlas.Standable(map, x, y) == (inside && reference.walk[x][y] != kWalkBlocked));
        }
    return 0;
}
