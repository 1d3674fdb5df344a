// Any text as a pointer path: a path read is written so that it reads back
// as the same path, and its written form reads back as itself.

#include "track/PointerPath.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ParsedPointerPath parsed = ParsePointerPath(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed.path) {
        if (parsed.failure.empty())
            std::abort(); // a refusal always says why
        return 0;
    }
    const std::string written = FormatPointerPath(*parsed.path);
    const ParsedPointerPath again = ParsePointerPath(written);
    if (!again.path || !(*again.path == *parsed.path) || FormatPointerPath(*again.path) != written)
        std::abort();
    return 0;
}
