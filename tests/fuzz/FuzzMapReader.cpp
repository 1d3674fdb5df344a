// Any bytes as a map file: the reader must give exactly what reading each
// record by itself at its offset gives (with zeroed buffers), and never
// crash or read out of bounds, on one thread and on two. Built twice: from
// memory, and (FUZZ_THROUGH_FILE) written to a file and read by ReadMapFile.

#include "map/MapReader.h"
#include "tests/support/MapBytes.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

// Explore the format, not the allocator: inputs stay small, so larger maps
// would only repeat their last record. Maps of 128 columns and more are
// split between two threads when asked to.
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
    // The input's last byte says whether one thread or two read it, and
    // whether the walkability values are kept.
    const int threads = size > 0 && data[size - 1] & 1 ? 2 : 1;
    const MapParts parts = size > 0 && data[size - 1] & 2 ? MapParts::ImageOnly : MapParts::WalkValuesAndImage;
    const auto threadsAsked = [threads](std::int64_t) { return threads; };
#ifdef FUZZ_THROUGH_FILE
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tarvex-fuzz-" + std::to_string(::getpid()) + ".map");
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(file.data(), std::streamsize(file.size()));
    const std::optional<MapLoad> read = ReadMapFile(path, threadsAsked, parts);
    Check(read.has_value());
    const MapLoad& load = *read;
#else
    const MapLoad load = ReadMapBytes(file, threadsAsked, parts);
#endif
    Check(load.header.bytes == reference.header.bytes);
    Check(parts == MapParts::ImageOnly ? load.matrix.Columns() == 0 : load.matrix == reference.walk);
    Check(load.lastCell.bytes == reference.lastCell.bytes);
    Check(load.image.IsEmpty() == (width == 0 || height == 0));
    for (int y = 0; y < load.image.Height(); ++y)
        for (int x = 0; x < width; ++x)
            Check(load.image.Pixel(x, y) == reference.entry[std::size_t(y)][std::size_t(x)]);
    return 0;
}
