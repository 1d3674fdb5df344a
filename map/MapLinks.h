#pragma once
// Picks out the lines of "MapInfo.txt" that belong to a map.
//
// Everything works on bytes as they stand in the file (the GBK code page);
// nothing is decoded. A line belongs to the map NAME when, after upper-casing
// the bytes a-z, it begins with "[" NAME or with NAME, followed by a space or a
// tab. Lines end at CR, LF or CR LF; a byte-order mark is an ordinary byte.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char kMapInfoFileName[] = "MapInfo.txt";
// A larger "MapInfo.txt" is not read.
inline constexpr std::int64_t kMaxMapInfoBytes = std::int64_t(64) << 20;
// The memo lists at most this many lines of one map.
inline constexpr std::size_t kMaxListedMapLinks = 10000;

// Bytes a-z become A-Z wherever they stand, also as the second byte of a
// double-byte character; every other byte is kept.
std::string UpperCaseAsciiBytes(std::string_view bytes);

// The lines of a text; a line break at the very end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// The map name of a file name (no directory part): the name without its
// extension (from the last "."), upper-cased.
std::string MapNameOf(std::string_view fileName);

// The lines of mapInfo that belong to mapName (as MapNameOf gives it),
// unchanged and in file order.
std::vector<std::string_view> MatchMapLinks(std::string_view mapInfo, std::string_view mapName);

// The first maxLines of those lines, and how many more there were.
struct MapLinks {
    std::vector<std::string_view> lines;
    std::size_t moreLines = 0;
};
MapLinks MatchMapLinks(std::string_view mapInfo, std::string_view mapName, std::size_t maxLines);

// The line shown after the first lines when there were more:
// "... and 1234 more lines for this map".
std::string MoreMapLinksLine(std::size_t moreLines);

// What the memo shows for a map: "MapInfo.txt" read (RegularFile.h: opened
// without waiting, regular files only, at most kMaxMapInfoBytes) and its
// lines for mapName, at most kMaxListedMapLinks of them, then
// MoreMapLinksLine() when there were more. When the file cannot be read,
// read is false and failure holds the system's text for the error (or
// "File too large") for the message "Cannot open file "%s". %s".
struct MapInfoLinks {
    bool read = false;
    std::string failure;
    std::vector<std::string> lines;
};
MapInfoLinks ReadMapInfoLinks(const std::filesystem::path& mapInfoPath, std::string_view mapName);
