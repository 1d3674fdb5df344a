// Any bytes as "MapInfo.txt" and any map file name (the input's first line):
// the lines listed must be those a plain reading of the four forms lists.

#include "map/MapLinks.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
    return text;
}

std::vector<std::string> ReferenceLinks(const std::string& mapInfo, const std::string& fileName)
{
    const std::size_t dot = fileName.rfind('.');
    const std::string name = Upper(dot == std::string::npos ? fileName : fileName.substr(0, dot));
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < mapInfo.size(); ++i) {
        if (mapInfo[i] != '\r' && mapInfo[i] != '\n') {
            line += mapInfo[i];
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (mapInfo[i] == '\r' && i + 1 < mapInfo.size() && mapInfo[i + 1] == '\n')
            ++i;
    }
    if (!line.empty())
        lines.push_back(line);

    std::vector<std::string> listed;
    for (const std::string& candidate : lines) {
        const std::string upper = Upper(candidate);
        for (const std::string& form : {"[" + name + " ", "[" + name + "\t", name + " ", name + "\t"}) {
            if (upper.compare(0, form.size(), form) == 0 && upper.size() >= form.size()) {
                listed.push_back(candidate);
                break;
            }
        }
    }
    return listed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t firstLineEnd = input.find('\n');
    const std::string fileName = input.substr(0, firstLineEnd);
    const std::string mapInfo = firstLineEnd == std::string::npos ? std::string() : input.substr(firstLineEnd + 1);

    const std::vector<std::string_view> listed = MatchMapLinks(mapInfo, MapNameOf(fileName));
    if (std::vector<std::string>(listed.begin(), listed.end()) != ReferenceLinks(mapInfo, fileName))
        std::abort();
    return 0;
}
