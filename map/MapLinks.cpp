#include "map/MapLinks.h"

#include "base/RegularFile.h"
#include "base/UserText.h"

std::string UpperCaseAsciiBytes(std::string_view bytes)
{
    std::string upper(bytes);
    for (char& byte : upper) {
        if (byte >= 'a' && byte <= 'z')
            byte = char(byte - ('a' - 'A'));
    }
    return upper;
}

namespace {

// Calls eachLine(line) for every line, in order, until it returns false.
template <typename EachLine>
void ForEachLine(std::string_view text, EachLine eachLine)
{
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            eachLine(text.substr(start));
            return;
        }
        if (!eachLine(text.substr(start, end - start)))
            return;
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        start = end + (crlf ? 2 : 1);
    }
}

} // namespace

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    ForEachLine(text, [&lines](std::string_view line) {
        lines.push_back(line);
        return true;
    });
    return lines;
}

std::string MapNameOf(std::string_view fileName)
{
    // "." never occurs as the second byte of a GBK character, so a plain
    // search for the last one is safe.
    return UpperCaseAsciiBytes(fileName.substr(0, fileName.rfind('.')));
}

namespace {

bool BeginsWithNameAndSeparator(std::string_view upperLine, std::string_view prefix)
{
    if (upperLine.size() <= prefix.size() || upperLine.compare(0, prefix.size(), prefix) != 0)
        return false;
    const char separator = upperLine[prefix.size()];
    return separator == ' ' || separator == '\t';
}

} // namespace

MapLinks MatchMapLinks(std::string_view mapInfo, std::string_view mapName, std::size_t maxLines)
{
    const std::string bracketed = "[" + std::string(mapName);
    MapLinks links;
    ForEachLine(mapInfo, [&](std::string_view line) {
        // Only the bytes up to the separator after "[" NAME take part.
        const std::string upper = UpperCaseAsciiBytes(line.substr(0, bracketed.size() + 1));
        if (BeginsWithNameAndSeparator(upper, bracketed) || BeginsWithNameAndSeparator(upper, mapName)) {
            if (links.lines.size() < maxLines)
                links.lines.push_back(line);
            else
                ++links.moreLines;
        }
        return true;
    });
    return links;
}

std::vector<std::string_view> MatchMapLinks(std::string_view mapInfo, std::string_view mapName)
{
    return MatchMapLinks(mapInfo, mapName, std::size_t(-1)).lines;
}

std::string MoreMapLinksLine(std::size_t moreLines)
{
    return moreLines == 1 ? UserText("MapLinks", "... and 1 more line for this map")
                          : WithValues(UserText("MapLinks", "... and %1 more lines for this map"), {std::to_string(moreLines)});
}

MapInfoLinks ReadMapInfoLinks(const std::filesystem::path& mapInfoPath, std::string_view mapName)
{
    MapInfoLinks links;
    const WholeFile mapInfo = ReadWholeRegularFile(mapInfoPath, kMaxMapInfoBytes);
    if (!mapInfo.read) {
        links.failure = mapInfo.failure;
        return links;
    }
    const MapLinks matched = MatchMapLinks(mapInfo.bytes, mapName, kMaxListedMapLinks);
    links.lines.assign(matched.lines.begin(), matched.lines.end());
    if (matched.moreLines > 0)
        links.lines.push_back(MoreMapLinksLine(matched.moreLines));
    links.read = true;
    return links;
}
