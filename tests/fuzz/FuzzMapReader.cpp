// Any bytes as a map file: the reader must give exactly what reading each
// record by itself at its offset gives (with zeroed buffers), and never
// crash or read out of bounds.

#include "../MapBytes.h"
#include "MapReader.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

namespace {

// Explore the format, not the allocator: inputs stay small, so larger maps
// would only repeat their last record. (The two-thread road of big files is
// covered by the reader tests.)
constexpr std::int64_t kMaxFuzzCells = 1 << 16;

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
    std::istringstream stream(file);
    const MapLoad load = ReadMap(stream, [&file] { return std::make_unique<std::istringstream>(file); });
    Check(load.header.bytes == reference.header.bytes);
    Check(load.matrix == reference.walk);
    Check(load.lastCell.bytes == reference.lastCell.bytes);
    Check(load.image.IsEmpty() == (width == 0 || height == 0));
    for (int y = 0; y < load.image.Height(); ++y)
        for (int x = 0; x < width; ++x)
            Check(load.image.Pixel(x, y) == reference.entry[std::size_t(y)][std::size_t(x)]);
    return 0;
}
