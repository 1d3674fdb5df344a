#pragma once
// The maps the benchmarks run on: random cells, written once into the
// temporary folder and kept between runs.

#include "map/MapFormat.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

struct BenchMap {
    const char* name;
    int width, height;
    double keptFraction; // below 1: the file is cut short
};

inline std::filesystem::path BenchMapPath(const BenchMap& map)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tarvex-bench-maps";
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / (std::string(map.name) + ".map");
    const std::int64_t cells = std::int64_t(map.width) * map.height;
    const std::int64_t size = kMapHeaderSize + std::int64_t(double(cells) * map.keptFraction) * kMapCellSize - 5;
    std::error_code error;
    if (std::filesystem::file_size(path, error) == std::uintmax_t(size))
        return path;
    std::mt19937 random(std::uint32_t(map.width));
    std::vector<char> bytes(static_cast<std::size_t>(size));
    for (char& byte : bytes)
        byte = char(random() >> 5);
    TMapHeader header;
    header.SetSize(map.width, map.height);
    std::copy(header.bytes.begin(), header.bytes.begin() + 4, bytes.begin()); // the rest stays random
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return path;
}
