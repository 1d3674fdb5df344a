// Any bytes as a map file: the reader must give exactly what reading each
// record by itself at its offset gives (with zeroed buffers), or refuse for
// capacity, and never crash or read out of bounds.

#include "MapReader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

namespace {

// Explore the format, not the allocator: inputs stay small, so larger maps
// would only repeat their last record. (The two-thread road of big files is
// covered by the reader tests.)
constexpr std::int64_t kMaxFuzzCells = 1 << 16;

struct Reference {
    std::uint8_t header[52] = {};
    std::uint8_t cell[12] = {};
};

void ReadAt(const std::string& file, std::int64_t offset, std::uint8_t* into, std::int64_t size)
{
    if (offset < std::int64_t(file.size()))
        std::memcpy(into, file.data() + offset, std::size_t(std::min<std::int64_t>(size, std::int64_t(file.size()) - offset)));
}

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string file(reinterpret_cast<const char*>(data), size);
    Reference reference;
    ReadAt(file, 0, reference.header, 52);
    const int width = reference.header[0] | reference.header[1] << 8;
    const int height = reference.header[2] | reference.header[3] << 8;
    if (std::int64_t(width) * height > kMaxFuzzCells)
        return 0;

    std::istringstream stream(file);
    const MapLoad load = ReadMap(stream, [&file] { return std::make_unique<std::istringstream>(file); });
    Check(std::memcmp(load.header.bytes.data(), reference.header, 52) == 0);
    Check(load.matrix.Columns() == width && load.matrix.Rows() == height);
    Check(load.image.IsEmpty() == (width == 0 || height == 0));
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            ReadAt(file, 52 + 12 * (std::int64_t(x) * height + y), reference.cell, 12);
            const bool blocked = reference.cell[1] > 100;
            const bool flagged = (reference.cell[6] & 0x80) && (reference.cell[7] & 0x80);
            Check(load.matrix[x][y] == (blocked ? 220 : 0));
            Check(load.image.Pixel(x, y) == (flagged ? 12 : blocked ? 9 : 0));
        }
    }
    Check(std::memcmp(load.lastCell.bytes.data(), reference.cell, 12) == 0);
    return 0;
}
