#pragma once
// The requests tarvex-find reads, one a line: "X:Y", "map FILE.map",
// "moved", "still", "list" and "reset". Blanks around a line, and between
// "map" and its file, are not part of it.

#include <cstdint>
#include <string>
#include <string_view>

struct FindRequest {
    enum class Kind { Position, Map, Moved, Still, List, Reset, Unknown };
    Kind kind = Kind::Unknown;
    std::uint16_t x = 0; // Position
    std::uint16_t y = 0;
    std::string text; // Map: the file; Unknown: the line
};
bool operator==(const FindRequest& a, const FindRequest& b);

// The line without the blanks (and a line end) around it.
std::string_view TrimmedRequest(std::string_view line);

FindRequest ParseFindRequest(std::string_view line);
// The line ParseFindRequest reads as this request.
std::string FindRequestLine(const FindRequest& request);
