#include "base/CellText.h"

#include <charconv>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<int> ParseNumber(std::string_view text)
{
    text = Trimmed(text);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<Cell> ParseCellText(std::string_view text)
{
    text = Trimmed(text);
    std::size_t separator = text.find_first_of(":,");
    if (separator == std::string_view::npos) {
        separator = text.find_first_of(" \t");
        if (separator == std::string_view::npos)
            return std::nullopt;
    }
    const std::optional<int> x = ParseNumber(text.substr(0, separator));
    const std::optional<int> y = ParseNumber(text.substr(separator + 1));
    if (!x || !y)
        return std::nullopt;
    return Cell{*x, *y};
}
