// Writes the bundled sample maps and their "MapInfo.txt" into a folder.
// The output depends on nothing but this file and the map format: the same
// bytes every run.
//
//   make_sample_maps <maps folder> [<folder for MapInfo.txt> ...]

#include "map/MapFormat.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum Terrain : std::uint8_t { kOpen, kBlocked, kFlagged };

class Grid {
public:
    Grid(int width, int height, Terrain fill)
        : width(width), height(height), cells_(std::size_t(width) * height, fill) {}

    Terrain At(int x, int y) const { return cells_[std::size_t(y) * width + x]; }
    void Set(int x, int y, Terrain t)
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            cells_[std::size_t(y) * width + x] = t;
    }
    void Fill(int left, int top, int w, int h, Terrain t)
    {
        for (int y = top; y < top + h; ++y)
            for (int x = left; x < left + w; ++x)
                Set(x, y, t);
    }
    void Outline(int left, int top, int w, int h, Terrain t)
    {
        Fill(left, top, w, 1, t);
        Fill(left, top + h - 1, w, 1, t);
        Fill(left, top, 1, h, t);
        Fill(left + w - 1, top, 1, h, t);
    }
    void Disc(int cx, int cy, int r, Terrain t)
    {
        for (int y = -r; y <= r; ++y)
            for (int x = -r; x <= r; ++x)
                if (x * x + y * y <= r * r)
                    Set(cx + x, cy + y, t);
    }

    const int width;
    const int height;

private:
    std::vector<Terrain> cells_;
};

class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}
    int Below(int n) { return int(engine_() % std::uint32_t(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    std::uint8_t Byte() { return std::uint8_t(engine_()); }

private:
    std::mt19937 engine_; // fully specified, so the same on every platform
};

// A walled house with a door, somewhere inside the given area.
void House(Grid& grid, Random& random, int left, int top, int w, int h)
{
    grid.Outline(left, top, w, h, kBlocked);
    grid.Set(left + w / 2, top + h - 1, kOpen);
    if (random.Below(3) == 0)
        grid.Fill(left + 1, top + 1, w - 2, h - 2, kBlocked);
}

void Town(Grid& grid, Random& random, int left, int top, int w, int h)
{
    grid.Outline(left, top, w, h, kBlocked);
    grid.Fill(left + w / 2 - 2, top, 5, 1, kOpen);
    grid.Fill(left + w / 2 - 2, top + h - 1, 5, 1, kOpen);
    grid.Fill(left + w / 2 - w / 8, top + h / 2 - h / 8, w / 4, h / 4, kFlagged); // market square
    for (int y = top + 4; y + 10 < top + h; y += 14)
        for (int x = left + 4; x + 12 < left + w; x += 16)
            if (x + 12 < left + w / 2 - w / 8 || x > left + w / 2 + w / 8 || y + 10 < top + h / 2 - h / 8 ||
                y > top + h / 2 + h / 8)
                House(grid, random, x, y, random.Between(7, 12), random.Between(6, 9));
}

void Rocks(Grid& grid, Random& random, int count, int maxRadius)
{
    for (int i = 0; i < count; ++i)
        grid.Disc(random.Below(grid.width), random.Below(grid.height), random.Between(0, maxRadius), kBlocked);
}

// A winding band of water with a bridge every so often.
void River(Grid& grid, int baseX, int amplitude, int halfWidth)
{
    for (int y = 0; y < grid.height; ++y) {
        const int centre = baseX + int(amplitude * std::sin(y / 37.0));
        const bool bridge = y % 97 < 4;
        for (int x = centre - halfWidth; x <= centre + halfWidth; ++x)
            grid.Set(x, y, bridge ? kOpen : kBlocked);
    }
}

Grid Dungeon(int width, int height, std::uint32_t seed)
{
    Grid grid(width, height, kBlocked);
    Random random(seed);
    int previousX = width / 2, previousY = height / 2;
    const int rooms = width * height / 4000 + 4;
    for (int i = 0; i < rooms; ++i) {
        const int w = random.Between(6, 24), h = random.Between(5, 16);
        const int left = random.Between(1, width - w - 2), top = random.Between(1, height - h - 2);
        grid.Fill(left, top, w, h, i % 5 == 0 ? kFlagged : kOpen);
        const int x = left + w / 2, y = top + h / 2;
        for (int cx = std::min(x, previousX); cx <= std::max(x, previousX); ++cx)
            grid.Fill(cx, previousY, 1, 2, kOpen);
        for (int cy = std::min(y, previousY); cy <= std::max(y, previousY); ++cy)
            grid.Fill(x, cy, 2, 1, kOpen);
        for (int p = 0; p < w * h / 40; ++p) // pillars
            grid.Set(random.Between(left + 1, left + w - 2), random.Between(top + 1, top + h - 2), kBlocked);
        previousX = x;
        previousY = y;
    }
    return grid;
}

Grid Plains(int width, int height, std::uint32_t seed)
{
    Grid grid(width, height, kOpen);
    Random random(seed);
    grid.Outline(0, 0, width, height, kBlocked);
    Rocks(grid, random, width * height / 900, 5);
    River(grid, width * 2 / 3, width / 12, width / 100 + 2);
    Town(grid, random, width / 8, height / 8, width / 4, height / 5);
    Town(grid, random, width / 3, height * 3 / 5, width / 5, height / 4);
    return grid;
}

Grid Harbour(int width, int height, std::uint32_t seed)
{
    Grid grid(width, height, kOpen);
    Random random(seed);
    Rocks(grid, random, width * height / 1500, 3);
    const int shore = width * 3 / 5;
    grid.Fill(shore, 0, width - shore, height, kBlocked); // the sea
    for (int y = height / 8; y + 6 < height; y += height / 5) {
        grid.Fill(shore, y, width / 4, 4, kOpen);              // a pier
        grid.Fill(shore + width / 4 - 6, y, 6, 4, kFlagged);   // its landing stage
    }
    Town(grid, random, width / 10, height / 6, shore * 2 / 3, height * 2 / 3);
    return grid;
}

Grid Tiny()
{
    Grid grid(8, 6, kOpen);
    grid.Outline(0, 0, 8, 6, kBlocked);
    grid.Set(3, 2, kFlagged);
    grid.Set(4, 3, kBlocked);
    return grid;
}

// Writes the cells column by column, with noise in every byte the viewer
// does not read, and blocking values and flag bits spread over their ranges.
void WriteMap(const fs::path& path, const Grid& grid, std::uint32_t seed, int trailingBytes = 0)
{
    Random random(seed);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(std::size_t(CellOffset(grid.width, 0, grid.height)) + trailingBytes);
    TMapHeader header;
    header.SetSize(grid.width, grid.height);
    for (std::size_t i = 4; i < header.bytes.size(); ++i)
        header.bytes[i] = random.Byte(); // bytes the viewer keeps but never looks at
    bytes.insert(bytes.end(), header.bytes.begin(), header.bytes.end());
    for (int x = 0; x < grid.width; ++x) {
        for (int y = 0; y < grid.height; ++y) {
            const Terrain terrain = grid.At(x, y);
            TMapCell cell;
            for (std::uint8_t& byte : cell.bytes)
                byte = random.Byte();
            cell.SetBlockingValue(terrain == kBlocked ? random.Between(kBlockedAbove + 1, 255) : random.Between(0, kBlockedAbove));
            if (terrain == kFlagged)
                cell.SetFlagged(true);
            else if (cell.IsFlagged()) // one flag bit alone flags nothing
                cell.bytes[random.Below(2) ? kSecondFlagByte : kFirstFlagByte] &= std::uint8_t(~kFlagBit);
            bytes.insert(bytes.end(), cell.bytes.begin(), cell.bytes.end());
        }
    }
    for (int i = 0; i < trailingBytes; ++i)
        bytes.push_back(random.Byte());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// "MapInfo.txt" in the GBK code page, with mixed line ends and lines that
// look like links but belong to no map.
const char kMapInfo[] =
    // ; 地图连接表：地图名在行首，或写在方括号里
    "; \xB5\xD8\xCD\xBC\xC1\xAC\xBD\xD3\xB1\xED\xA3\xBA\xB5\xD8\xCD\xBC\xC3\xFB\xD4\xDA\xD0\xD0\xCA\xD7\xA3\xAC\xBB\xF2\xD0\xB4\xD4\xDA\xB7\xBD\xC0\xA8\xBA\xC5\xC0\xEF\x0D\x0A"
    // [Harbor2 旧港] 通往 Village 的东门
    "[Harbor2 \xBE\xC9\xB8\xDB] \xCD\xA8\xCD\xF9 Village \xB5\xC4\xB6\xAB\xC3\xC5\x0D\x0A"
    // [harbor2<TAB>北码头] 渡船 -> 港口
    "[harbor2\x09\xB1\xB1\xC2\xEB\xCD\xB7] \xB6\xC9\xB4\xAC -> \xB8\xDB\xBF\xDA\x0D\x0A"
    // Harbor2 东门 -> Dungeon 入口
    "Harbor2 \xB6\xAB\xC3\xC5 -> Dungeon \xC8\xEB\xBF\xDA\x0D\x0A"
    // HARBOR2<TAB>灯塔 (120, 33)
    "HARBOR2\x09\xB5\xC6\xCB\xFE (120, 33)\x0A"
    // HARBOR2
    "HARBOR2\x0D\x0A"
    // [HARBOR2]
    "[HARBOR2]\x0D\x0A"
    // HARBOR20 east gate
    "HARBOR20 east gate\x0D\x0A"
    // HARBOR2,east gate
    "HARBOR2,east gate\x0D\x0A"
    //  HARBOR2 north pier
    " HARBOR2 north pier\x0D\x0A"
    // [ HARBOR2 Old harbour]
    "[ HARBOR2 Old harbour]\x0D\x0A"
    // Mine7 gate to HARBOR2
    "Mine7 gate to HARBOR2\x0D\x0A"
    // 
    "\x0D\x0A"
    // Village 新手村 广场 (160, 120)
    "Village \xD0\xC2\xCA\xD6\xB4\xE5 \xB9\xE3\xB3\xA1 (160, 120)\x0D\x0A"
    // [VILLAGE 城门] -> Plains
    "[VILLAGE \xB3\xC7\xC3\xC5] -> Plains\x0D"
    // village<TAB>铁匠铺
    "village\x09\xCC\xFA\xBD\xB3\xC6\xCC\x0D\x0A"
    // Dungeon<TAB>矿洞 一层 -> Harbor2
    "Dungeon\x09\xBF\xF3\xB6\xB4 \xD2\xBB\xB2\xE3 -> Harbor2\x0D\x0A"
    // [Dungeon 矿洞 二层]
    "[Dungeon \xBF\xF3\xB6\xB4 \xB6\xFE\xB2\xE3]\x0D\x0A"
    // [港口 码头] -> Harbor2
    "[\xB8\xDB\xBF\xDA \xC2\xEB\xCD\xB7] -> Harbor2\x0D\x0A"
    // 港口<TAB>渡船 -> Village
    "\xB8\xDB\xBF\xDA\x09\xB6\xC9\xB4\xAC -> Village\x0D\x0A"
    // 港口东 不是这张地图
    "\xB8\xDB\xBF\xDA\xB6\xAB \xB2\xBB\xCA\xC7\xD5\xE2\xD5\xC5\xB5\xD8\xCD\xBC\x0D\x0A"
    // Plains 荒原 北部 -> Dungeon
    "Plains \xBB\xC4\xD4\xAD \xB1\xB1\xB2\xBF -> Dungeon\x0D\x0A"
    // [plains<TAB>大漠 边境]
    "[plains\x09\xB4\xF3\xC4\xAE \xB1\xDF\xBE\xB3]\x0D\x0A"
    // Tiny 测试用的小地图
    "Tiny \xB2\xE2\xCA\xD4\xD3\xC3\xB5\xC4\xD0\xA1\xB5\xD8\xCD\xBC\x0D\x0A"
    ;

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <maps folder> [<folder for MapInfo.txt> ...]\n", argv[0]);
        return 2;
    }
    const fs::path maps(argv[1]);
    fs::create_directories(maps);
    WriteMap(maps / "Tiny.map", Tiny(), 1);
    WriteMap(maps / "Harbor2.map", Harbour(200, 150, 2), 2, 100);
    WriteMap(maps / fs::u8path(u8"港口.map"), Harbour(160, 120, 3), 3);
    WriteMap(maps / "Village.map", Plains(320, 240, 4), 4);
    WriteMap(maps / "Dungeon.map", Dungeon(512, 384, 5), 5);
    WriteMap(maps / "Plains.map", Plains(1000, 1000, 6), 6);
    fs::create_directories(maps / "more");
    WriteMap(maps / "more" / "Crypt.map", Dungeon(96, 64, 7), 7);
    std::ofstream(maps / "readme.txt") << "Sample maps made by make_sample_maps.\n";

    for (int i = 2; i < argc; ++i) {
        fs::create_directories(argv[i]);
        std::ofstream(fs::path(argv[i]) / "MapInfo.txt", std::ios::binary).write(kMapInfo, sizeof kMapInfo - 1);
    }
    return 0;
}
