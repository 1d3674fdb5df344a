#include "programs/find/FindRequest.h"

#include "track/AddressFinder.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<FindRequest::Kind, std::string_view>, 4> kWords{{
    {FindRequest::Kind::Moved, "moved"},
    {FindRequest::Kind::Still, "still"},
    {FindRequest::Kind::List, "list"},
    {FindRequest::Kind::Reset, "reset"},
}};

} // namespace

std::string_view TrimmedRequest(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool operator==(const FindRequest& a, const FindRequest& b)
{
    return a.kind == b.kind && a.x == b.x && a.y == b.y && a.text == b.text;
}

FindRequest ParseFindRequest(std::string_view line)
{
    line = TrimmedRequest(line);
    FindRequest request;
    if (const auto position = ParsePosition(line)) {
        request.kind = FindRequest::Kind::Position;
        request.x = position->first;
        request.y = position->second;
        return request;
    }
    if (line.substr(0, 4) == "map " || line.substr(0, 4) == "map\t") {
        request.kind = FindRequest::Kind::Map;
        request.text = std::string(TrimmedRequest(line.substr(4)));
        return request;
    }
    for (const auto& [kind, word] : kWords)
        if (line == word)
            request.kind = kind;
    if (request.kind == FindRequest::Kind::Unknown)
        request.text = std::string(line);
    return request;
}

std::string FindRequestLine(const FindRequest& request)
{
    switch (request.kind) {
    case FindRequest::Kind::Position:
        return std::to_string(request.x) + ":" + std::to_string(request.y);
    case FindRequest::Kind::Map:
        return "map " + request.text;
    case FindRequest::Kind::Unknown:
        return request.text;
    default:
        for (const auto& [kind, word] : kWords)
            if (kind == request.kind)
                return std::string(word);
        return {};
    }
}
