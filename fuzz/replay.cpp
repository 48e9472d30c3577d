// Reads arbitrary bytes as a replay; a replay it accepts must write back exactly the bytes read.
#include "shell/replay.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    replay r;
    if (!decodereplay(data, size, &r).empty())
        return 0;
    const std::vector<unsigned char> again = encodereplay(r);
    if (again.size() != size || std::memcmp(again.data(), data, size) != 0)
        std::abort();
    return 0;
}
