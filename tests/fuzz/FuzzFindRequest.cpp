// Any line as a request of tarvex-find: a request read is written as a line
// that reads back as the same request.

#include "programs/find/FindRequest.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FindRequest request = ParseFindRequest(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!(ParseFindRequest(FindRequestLine(request)) == request))
        std::abort();
    return 0;
}
