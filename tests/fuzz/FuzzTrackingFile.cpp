// Any text as a tracking file: a file read is written so that it reads back
// as the same file, and its written form reads back as itself.

#include "track/TrackingFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const TrackingFileRead read = ParseTrackingFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read.file) {
        if (read.failure.empty())
            std::abort();
        return 0;
    }
    const std::string written = TrackingFileText(*read.file);
    const TrackingFileRead again = ParseTrackingFile(written);
    if (!again.file || TrackingFileText(*again.file) != written)
        std::abort();
    return 0;
}
