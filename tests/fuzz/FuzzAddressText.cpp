// Any text typed as the address: the tracker must accept exactly the texts
// of hexadecimal digits worth at most FFFFFFFF, with their value.

#include "track/Tracker.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

std::optional<std::uint32_t> ReferenceAddress(const std::string& typed)
{
    if (typed.empty())
        return std::nullopt;
    for (unsigned char c : typed)
        if (!std::isxdigit(c))
            return std::nullopt;
    const std::size_t firstSignificant = typed.find_first_not_of('0');
    if (firstSignificant == std::string::npos)
        return 0;
    if (typed.size() - firstSignificant > 8)
        return std::nullopt;
    return std::uint32_t(std::stoul(typed.substr(firstSignificant), nullptr, 16));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string typed(reinterpret_cast<const char*>(data), size);
    if (ParseHexAddress(typed) != ReferenceAddress(typed))
        std::abort();
    return 0;
}
