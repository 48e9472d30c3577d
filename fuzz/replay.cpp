// Reads arbitrary bytes as a replay; a replay it accepts must write back exactly the bytes read.
// Every other input gets a correct checksum first, so that the fuzzer reaches the fields behind it.
#include "shell/replay.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void check(const unsigned char* data, std::size_t size) {
    replay r;
    if (!decodereplay(data, size, &r).empty())
        return;
    const std::vector<unsigned char> again = encodereplay(r);
    if (again.size() != size || std::memcmp(again.data(), data, size) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check(data, size);
    if (size >= 4) {
        std::vector<unsigned char> fixed(data, data + size);
        const std::uint32_t sum = crc32(fixed.data(), size - 4);
        for (int k = 0; k < 4; k++)
            fixed[size - 4 + k] = static_cast<unsigned char>(sum >> (8 * k));
        check(fixed.data(), size);
    }
    return 0;
}
