#include "track/PointerPath.h"

#include "map/UserText.h"

#include <charconv>
#include <cstdio>

namespace {

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

std::string Hex(std::uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(value));
    return text;
}

ParsedPointerPath Refused(const std::string& why)
{
    return {std::nullopt, why};
}

} // namespace

std::optional<std::uint64_t> ParseHexNumber(std::string_view text)
{
    text = Trimmed(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 16)
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool operator==(const PointerPath& a, const PointerPath& b)
{
    return a.module == b.module && a.moduleOffset == b.moduleOffset && a.offsets == b.offsets;
}

ParsedPointerPath ParsePointerPath(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (std::size_t arrow; (arrow = text.find("->")) != std::string_view::npos; text.remove_prefix(arrow + 2))
        parts.push_back(text.substr(0, arrow));
    parts.push_back(text);

    const std::string_view start = Trimmed(parts[0]);
    const std::size_t plus = start.rfind('+');
    if (plus == std::string_view::npos || Trimmed(start.substr(0, plus)).empty())
        return Refused(UserText("PointerPath", "A pointer path begins with a module and an offset, such as \"Client.exe+1A2B3C\"."));
    PointerPath path;
    path.module = std::string(Trimmed(start.substr(0, plus)));
    if (path.module.find('+') != std::string::npos)
        return Refused(WithValues(UserText("PointerPath", "\"%1\" is not a module and an offset."), {std::string(start)}));
    const std::optional<std::uint64_t> moduleOffset = ParseHexNumber(start.substr(plus + 1));
    if (!moduleOffset)
        return Refused(WithValues(UserText("PointerPath", "\"%1\" after \"%2+\" is not a hexadecimal offset."),
                                  {std::string(Trimmed(start.substr(plus + 1))), path.module}));
    path.moduleOffset = *moduleOffset;
    if (parts.size() - 1 > kMaxPointerSteps)
        return Refused(WithValues(UserText("PointerPath", "A pointer path has at most %1 steps; this one has %2."),
                                  {std::to_string(kMaxPointerSteps), std::to_string(parts.size() - 1)}));
    for (std::size_t step = 1; step < parts.size(); ++step) {
        const std::string_view part = Trimmed(parts[step]);
        const std::optional<std::uint64_t> offset =
            !part.empty() && part.front() == '+' ? ParseHexNumber(part.substr(1)) : std::nullopt;
        if (!offset)
            return Refused(WithValues(UserText("PointerPath", "Step %1 (\"%2\") is not \"+\" and a hexadecimal offset."),
                                      {std::to_string(step), std::string(part)}));
        path.offsets.push_back(*offset);
    }
    return {std::move(path), {}};
}

std::string FormatPointerPath(const PointerPath& path)
{
    std::string text = path.module + "+" + Hex(path.moduleOffset);
    for (const std::uint64_t offset : path.offsets)
        text += " -> +" + Hex(offset);
    return text;
}

ResolvedPointerPath ResolvePointerPath(const PointerPath& path, const std::vector<ProcessModule>& modules,
                                       const PointerReader& readPointer)
{
    const ProcessModule* module = FindModule(modules, path.module);
    if (!module)
        return {std::nullopt, WithValues(UserText("PointerPath", "The client has no module \"%1\"."), {path.module})};
    std::uint64_t address = module->base + path.moduleOffset;
    for (std::size_t step = 0; step < path.offsets.size(); ++step) {
        const std::optional<std::uint64_t> pointer = readPointer(address);
        if (!pointer)
            return {std::nullopt,
                    WithValues(UserText("PointerPath", "Step %1 of \"%2\" cannot be followed: nothing can be read at %3."),
                               {std::to_string(step + 1), FormatPointerPath(path), Hex(address)})};
        address = *pointer + path.offsets[step];
    }
    return {address, {}};
}

std::vector<PointerPath> PathsStillLeading(const std::vector<PointerPath>& paths, const std::vector<ProcessModule>& modules,
                                           const PointerReader& readPointer,
                                           const std::function<bool(std::uint64_t address)>& leads)
{
    std::vector<PointerPath> leading;
    for (const PointerPath& path : paths) {
        const ResolvedPointerPath resolved = ResolvePointerPath(path, modules, readPointer);
        if (resolved.address && leads(*resolved.address))
            leading.push_back(path);
    }
    return leading;
}
