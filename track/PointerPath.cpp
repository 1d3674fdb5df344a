#include "track/PointerPath.h"

#include "base/HexText.h"
#include "base/UserText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

namespace {

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

ParsedPointerPath Refused(const std::string& why)
{
    return {std::nullopt, why};
}

// The length of the UTF-8 sequence that starts at text[at]; 0 when none
// does (a byte of GBK text, say).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                             : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    for (std::size_t i = at + 1; i < at + length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    // Not overlong, no surrogate, nothing past U+10FFFF.
    if ((lead == 0xE0 && byte(at + 1) < 0xA0) || (lead == 0xED && byte(at + 1) >= 0xA0) ||
        (lead == 0xF0 && byte(at + 1) < 0x90) || (lead == 0xF4 && byte(at + 1) >= 0x90))
        return 0;
    return length;
}

// A module name is written as it is unless a reader could take it for
// something else or it is not UTF-8 text (GBK, say): then in double quotes,
// with \", \\, and \xNN for a control character, and for every byte
// outside ASCII of a name that is not UTF-8.
bool WrittenInQuotes(std::string_view name)
{
    return name.empty() || name.front() == ' ' || name.front() == '"' || name.back() == ' ' ||
           name.find("->") != std::string_view::npos || !IsUtf8(name) ||
           std::any_of(name.begin(), name.end(), [](char c) {
               return c == '+' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
           });
}

std::string QuotedName(std::string_view name)
{
    const bool utf8 = IsUtf8(name);
    std::string quoted = "\"";
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = utf8 ? Utf8SequenceAt(name, at) : 1;
        const auto byte = static_cast<unsigned char>(name[at]);
        if (name[at] == '"' || name[at] == '\\') {
            quoted += '\\';
            quoted += name[at++];
        } else if (byte < 0x20 || byte == 0x7F || (!utf8 && byte >= 0x80)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            quoted += escaped;
            ++at;
        } else {
            quoted.append(name.substr(at, length));
            at += length;
        }
    }
    return quoted + "\"";
}

// A quoted name at the start of text, and what follows its closing quote;
// none when the quotes do not close or an escape is not one QuotedName writes.
std::optional<std::pair<std::string, std::string_view>> ReadQuotedName(std::string_view text)
{
    std::string name;
    for (std::size_t at = 1; at < text.size(); ++at) {
        if (text[at] == '"')
            return std::pair(std::move(name), text.substr(at + 1));
        if (text[at] != '\\') {
            name += text[at];
        } else if (at + 1 < text.size() && (text[at + 1] == '"' || text[at + 1] == '\\')) {
            name += text[++at];
        } else if (at + 3 < text.size() && text[at + 1] == 'x' && std::isxdigit(static_cast<unsigned char>(text[at + 2])) &&
                   std::isxdigit(static_cast<unsigned char>(text[at + 3]))) {
            name += char(std::stoi(std::string(text.substr(at + 2, 2)), nullptr, 16));
            at += 3;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace

bool IsUtf8(std::string_view text)
{
    for (std::size_t at = 0, length = 0; at < text.size(); at += length)
        if ((length = Utf8SequenceAt(text, at)) == 0)
            return false;
    return true;
}

std::optional<std::uint64_t> ParseHexNumber(std::string_view text)
{
    text = Trimmed(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.size() > 16)
        return std::nullopt;
    return ParseHexDigits(text);
}

bool operator==(const PointerPath& a, const PointerPath& b)
{
    return a.module == b.module && a.moduleOffset == b.moduleOffset && a.offsets == b.offsets;
}

ParsedPointerPath ParsePointerPath(std::string_view text)
{
    text = Trimmed(text);
    std::optional<std::string> quotedModule;
    if (!text.empty() && text.front() == '"') {
        auto read = ReadQuotedName(text);
        if (!read || read->first.empty())
            return Refused(WithValues(UserText("PointerPath", "The module's name in \"%1\" has no closing quote, or a "
                                                              "\\ that is not \\\", \\\\ or \\x and two hexadecimal digits."),
                                      {std::string(text)}));
        quotedModule = std::move(read->first);
        text = read->second;
    }
    std::vector<std::string_view> parts;
    for (std::size_t arrow; (arrow = text.find("->")) != std::string_view::npos; text.remove_prefix(arrow + 2))
        parts.push_back(text.substr(0, arrow));
    parts.push_back(text);

    const std::string_view start = Trimmed(parts[0]);
    const std::size_t plus = quotedModule ? start.find('+') : start.rfind('+');
    if (plus == std::string_view::npos || (quotedModule ? plus != 0 : Trimmed(start.substr(0, plus)).empty()))
        return Refused(UserText("PointerPath", "A pointer path begins with a module and an offset, such as \"Client.exe+1A2B3C\"."));
    PointerPath path;
    path.module = quotedModule ? *quotedModule : std::string(Trimmed(start.substr(0, plus)));
    if (!quotedModule && path.module.find('+') != std::string::npos)
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
    std::string text = (WrittenInQuotes(path.module) ? QuotedName(path.module) : path.module) + "+" + HexText(path.moduleOffset);
    for (const std::uint64_t offset : path.offsets)
        text += " -> +" + HexText(offset);
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
                               {std::to_string(step + 1), FormatPointerPath(path), HexText(address)})};
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
